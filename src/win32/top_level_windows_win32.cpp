#include "win32/top_level_windows.h"

#include <algorithm>
#include <new>
#include <utility>

namespace lnx {

namespace {

constexpr int kWindowTextUnits = 4096;

struct WindowCollection {
  std::vector<HWND> windows;
  bool full = false; // no memory for one more: thrown once the enumeration is over
};

// Nothing may be thrown through the system's enumeration frames.
BOOL CALLBACK collectWindow(HWND window, LPARAM collection) {
  auto* collected = reinterpret_cast<WindowCollection*>(collection);
  try {
    collected->windows.push_back(window);
    return TRUE;
  } catch (const std::bad_alloc&) {
    collected->full = true;
    return FALSE;
  }
}

} // namespace

std::vector<HWND> topLevelWindows() {
  WindowCollection collection;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&collection));
  if (collection.full) throw std::bad_alloc();
  return std::move(collection.windows);
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
