#pragma once
// The desktop's top-level windows as the launcher and its natives walk them: all of them in Z order,
// topmost first, with the process and the texts of each.
#include <windows.h>

#include <string>
#include <vector>

namespace lnx {

// Every top-level window (EnumWindows), in enumeration order; std::bad_alloc when they do
// not fit in memory.
std::vector<HWND> topLevelWindows();

// The id of the process that created the window; 0 for no window.
DWORD windowProcessId(HWND window);

// The window's title (GetWindowTextW) and class name (GetClassNameW), each of at most
// 4,095 units; empty when there is none or it cannot be read.
std::wstring windowTitle(HWND window);
std::wstring windowClassName(HWND window);

} // namespace lnx
