#pragma once
// Typing into another process's dialog: the text of a control found by its id anywhere
// below the window (a file dialog's name field sits inside a combo box).
#include <windows.h>

#include <string>

namespace probe {

// WM_SETTEXT to the control; false when there is none with that id or it does not answer.
bool setControlText(HWND window, long controlId, const std::wstring& text);

} // namespace probe
