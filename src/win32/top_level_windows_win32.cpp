#include "win32/top_level_windows.h"

#include <algorithm>

namespace lnx {

namespace {

constexpr int kWindowTextUnits = 4096;

BOOL CALLBACK collectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

} // namespace

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

DWORD windowProcessId(HWND window) {
  DWORD processId = 0;
  return GetWindowThreadProcessId(window, &processId) ? processId : 0;
}

std::wstring windowTitle(HWND window) {
  std::wstring title(kWindowTextUnits, L'\0');
  title.resize(static_cast<size_t>(std::max<int>(0, GetWindowTextW(window, &title[0], kWindowTextUnits))));
  return title;
}

std::wstring windowClassName(HWND window) {
  std::wstring className(kWindowTextUnits, L'\0');
  className.resize(static_cast<size_t>(std::max<int>(0, GetClassNameW(window, &className[0], kWindowTextUnits))));
  return className;
}

} // namespace lnx
