#pragma once
// The watcher thread of an interactive start: it moves the progress bar while the Java side
// starts, hides the progress dialog once the installer's window is up, and ends a start that
// never shows a window.
#include <windows.h>

namespace lnx {

// Starts the watcher on its own thread, above normal priority.
void startJavaWindowWatcher(HWND progressWindow);

} // namespace lnx
