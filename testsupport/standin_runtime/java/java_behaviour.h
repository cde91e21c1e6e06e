#pragma once
// How a stand-in java.exe misbehaves, from standin.cfg beside it: a file, because the
// launcher starts java.exe with its own environment, and beside the exe, so that one
// runtime of a test can fail while another works.
#include <optional>
#include <string>

namespace standin {

struct JavaBehaviour {
  std::optional<unsigned long> exitCode; // exit=N: end with code N at once, printing nothing
  bool hang = false;                     // hang=1: never end
  bool garbage = false;                  // garbage=1: a first line that is no version line
};

// Lines "name=value" (blank lines and lines starting with # ignored); nothing when a
// line is not understood, so a mistyped switch fails the test instead of being ignored.
std::optional<JavaBehaviour> parseJavaBehaviour(const std::string& text);

} // namespace standin
