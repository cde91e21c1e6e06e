#pragma once
// The progress dialog of an interactive start: it runs the work sequence on a worker thread
// while the main thread keeps the window responsive, and ends the run on Cancel.
#include <windows.h>

namespace lnx {

// Registers "MyDialogClass", the window class the launcher's dialog resources name. The
// result is ignored: a second registration fails harmlessly.
void registerDialogClass();

// Centres the window on its parent, or on the desktop when it has none.
void centerDialog(HWND window);

// The dialog procedure of the progress dialog (resource 103).
INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the progress dialog, whose worker thread runs the work sequence. Returns when the
// work sequence has returned; a canceled run ends the process here with exit code 0.
void runBehindProgressDialog();

} // namespace lnx
