#include "window_search.h"

#include "window_facts.h"

namespace probe {
namespace {

const wchar_t dialogClass[] = L"#32770";
const DWORD pollIntervalMs = 50;

BOOL CALLBACK collectVisibleWindow(HWND window, LPARAM collected) {
  if (IsWindowVisible(window) && owningProcessId(window) != GetCurrentProcessId())
    reinterpret_cast<std::vector<HWND>*>(collected)->push_back(window);
  return TRUE;
}

bool equalsIgnoringCase(const std::wstring& left, const std::wstring& right) {
  return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

bool hasWantedClass(HWND window, const ProbeOptions& options) {
  if (!options.windowClass.empty())
    return equalsIgnoringCase(windowClassName(window), options.windowClass);
  return options.anyWindowClass || windowClassName(window) == dialogClass;
}

bool matches(HWND window, const ProbeOptions& options) {
  if (!hasWantedClass(window, options))
    return false;
  if (options.processId && owningProcessId(window) != *options.processId)
    return false;
  if (!options.processName.empty() &&
      !equalsIgnoringCase(owningProcessName(window), options.processName))
    return false;
  std::optional<std::wstring> caption = windowText(window);
  // Uncaptioned windows of any class are helper windows nobody asks for; a class named
  // on the command line is the window wanted even while it has no caption.
  bool skipUncaptioned = options.anyWindowClass && options.windowClass.empty();
  if (!caption || (skipUncaptioned && caption->empty()))
    return false;
  return caption->find(options.titleContains) != std::wstring::npos;
}

} // namespace

std::vector<HWND> visibleTopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(collectVisibleWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND waitForMatchingWindow(const ProbeOptions& options) {
  const ULONGLONG deadline = GetTickCount64() + options.waitSeconds * 1000ULL;
  for (;;) {
    for (HWND window : visibleTopLevelWindows()) {
      if (matches(window, options))
        return window;
    }
    if (GetTickCount64() >= deadline)
      return nullptr;
    Sleep(pollIntervalMs);
  }
}

} // namespace probe
