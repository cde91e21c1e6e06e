#pragma once
// The visible top-level windows of a process, as the watcher counts them to see when the
// installer's own window has appeared.
#include <windows.h>

namespace lnx {

// The top-level window of this process's console, if any; determined on the first call.
HWND findConsoleWindow();

// Visible top-level windows of the process, not counting this process's console window.
int countProcessWindows(unsigned long processId);

} // namespace lnx
