#include "control_items.h"

#include "console_out.h"
#include "window_facts.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace probe {
namespace {

const UINT messageTimeoutMs = 3000;

BOOL CALLBACK collectControl(HWND control, LPARAM collected) {
  reinterpret_cast<std::vector<HWND>*>(collected)->push_back(control);
  return TRUE;
}

std::vector<HWND> allControls(HWND window) {
  std::vector<HWND> controls;
  EnumChildWindows(window, collectControl, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

bool isProgressBar(HWND control) {
  return CompareStringOrdinal(windowClassName(control).c_str(), -1, PROGRESS_CLASSW, -1, TRUE) ==
         CSTR_EQUAL;
}

// The answers are plain numbers: lParam stays null, so no memory crosses processes.
std::optional<int> progressAnswer(HWND bar, UINT message, WPARAM wParam) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(bar, message, wParam, 0, SMTO_ABORTIFHUNG, messageTimeoutMs, &answer))
    return std::nullopt;
  return static_cast<int>(answer);
}

bool printProgress(HWND bar) {
  std::optional<int> low = progressAnswer(bar, PBM_GETRANGE, TRUE);
  std::optional<int> high = progressAnswer(bar, PBM_GETRANGE, FALSE);
  std::optional<int> position = progressAnswer(bar, PBM_GETPOS, 0);
  if (!low || !high || !position)
    return false;
  writeLine("progress: " + std::to_string(GetDlgCtrlID(bar)) + " " + std::to_string(*low) + " " +
            std::to_string(*high) + " " + std::to_string(*position));
  return true;
}

} // namespace

bool printControlItems(HWND window) {
  std::vector<HWND> controls = allControls(window);
  for (HWND control : controls) {
    std::optional<std::wstring> text = windowText(control);
    if (!text)
      return false;
    writeLine("item: " + std::to_string(GetDlgCtrlID(control)) + " " +
              (IsWindowVisible(control) ? "1 " : "0 ") + escapedUtf8(windowClassName(control)) +
              ": " + escapedUtf8(*text));
  }
  for (HWND control : controls) {
    if (isProgressBar(control) && !printProgress(control))
      return false;
  }
  return true;
}

} // namespace probe
