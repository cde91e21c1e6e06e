#pragma once
// Minimising a window of another process the way its title bar button does.
#include <windows.h>

namespace probe {

// Asks the window to minimise and waits a few seconds for it; true once it is iconic.
bool minimizeWindow(HWND window);

} // namespace probe
