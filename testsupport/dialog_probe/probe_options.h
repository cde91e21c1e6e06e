#pragma once
// Command line of dialogprobe: which window to wait for and what to do with it.
#include <optional>
#include <string>
#include <utility>

namespace probe {

// The button to press: by label ("&Yes" and "Yes" alike) or, whatever language the
// dialog speaks, by control id (IDOK is 1).
struct ButtonChoice {
  std::wstring label;
  std::optional<unsigned long> controlId;
};

struct ProbeOptions {
  unsigned waitSeconds = 20;
  std::optional<unsigned long> processId;
  std::wstring processName;   // image base name, compared case-insensitively; empty: any
  std::wstring titleContains; // empty: any caption
  std::optional<ButtonChoice> buttonToPress;
  bool anyWindowClass = false; // accept any captioned top-level window, not only dialogs
  std::wstring windowClass;    // accept windows of this class, captioned or not; empty: dialogs
  bool listOnly = false;       // print all visible top-level windows and stop
  std::optional<std::pair<long, std::wstring>> setText; // control id and text, set before any press
  bool minimize = false;       // minimise the window after the report, as its title bar button does
  std::optional<unsigned long> watchMs; // after the report, watch the window answer for up to this long
};

// Returns the parsed options, or nothing after writing the problem and the usage to stderr.
std::optional<ProbeOptions> parseProbeOptions(int argc, wchar_t** argv);

} // namespace probe
