#include "instance/process_windows.h"

#include <string>
#include <vector>

#include "payload/catalogue.h"
#include "payload/tables.h"
#include "text/format_text.h"
#include "win32/top_level_windows.h"

namespace lnx {

namespace {

constexpr DWORD kTitleChars = 6000;

// A console's window is found by its title: give it a title no other window has, look for
// that, and put the old title back.
HWND locateConsoleWindow() {
  if (getConfigInt(config::launcherType) == 1) return nullptr;
  std::vector<wchar_t> title(kTitleChars);
  if (GetConsoleTitleW(title.data(), kTitleChars) == 0) return nullptr;
  std::wstring unique = formatText(L"%d/%d", {FormatArg(static_cast<unsigned long>(GetTickCount())),
                                              FormatArg(static_cast<unsigned long>(GetCurrentProcessId()))});
  if (!SetConsoleTitleW(unique.c_str())) return nullptr;
  Sleep(40);
  HWND console = FindWindowW(nullptr, unique.c_str());
  SetConsoleTitleW(title.data());
  return console;
}

} // namespace

HWND findConsoleWindow() {
  static const HWND console = locateConsoleWindow();
  return console;
}

int countProcessWindows(unsigned long processId) {
  HWND console = findConsoleWindow();
  int count = 0;
  for (HWND window : topLevelWindows())
    if (IsWindowVisible(window) && windowProcessId(window) == processId && window != console) ++count;
  return count;
}

} // namespace lnx
