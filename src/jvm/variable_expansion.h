#pragma once
// The launcher's variables in a text, replaced in place by their values: 21 fixed tokens
// (directories, separator, JVM home, temporary base), then one token per environment
// variable. Plain textual substitution over values the caller gathered; unknown tokens
// stay as they are.
#include <cstddef>
#include <string>
#include <vector>

namespace lnx {

// The callers' text buffers: characters including the terminator.
constexpr size_t kExpansionBufferChars = 6000;

template <class String> struct ExpansionInputs {
  String launcherDirectory;          // ends in "\"
  std::string launcherTempDirectory; // the TempDir, 8-bit in both variants; empty before it exists
  std::string jvmHome;               // 8-bit in both variants; empty before a runtime is chosen
  String tempBase;
  std::vector<String> environment;   // "NAME=value" entries in block order
};

// Replaces every occurrence of token by value, searching on right after each inserted
// value, and logs each replacement. The wide text with an 8-bit value widens it. A text
// that would grow past capacity - 1 characters is cut there (and the cut logged).
void replaceAll(std::wstring& text, const std::wstring& token, const std::wstring& value,
                size_t capacity = kExpansionBufferChars);
void replaceAll(std::wstring& text, const std::wstring& token, const std::string& value,
                size_t capacity = kExpansionBufferChars);
void replaceAll(std::string& text, const std::string& token, const std::string& value,
                size_t capacity = kExpansionBufferChars);

// The fixed tokens in their order, then per environment entry "${NAME}" and its upper-case
// form; entries without "=" are skipped.
void expandVariablesWith(std::wstring& text, const ExpansionInputs<std::wstring>& inputs,
                         size_t capacity = kExpansionBufferChars);
void expandVariablesWith(std::string& text, const ExpansionInputs<std::string>& inputs,
                         size_t capacity = kExpansionBufferChars);

} // namespace lnx
