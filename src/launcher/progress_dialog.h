#pragma once
// The progress dialog of an interactive start: it runs the work sequence on a worker thread
// while the main thread keeps the window responsive, and ends the run on Cancel.
#include <windows.h>

#include "base/dialog_window.h"

namespace lnx {

// Registers "MyDialogClass", the window class the launcher's dialog resources name. The
// result is ignored: a second registration fails harmlessly.
void registerDialogClass();

// The dialog procedure of the progress dialog (resource 103).
INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the progress dialog. Its worker thread runs the work sequence, or with configuration
// 155 (the dialog only hosts the runtime download) the download-or-locate flow. Returns when
// that work has returned; a canceled run ends the process here with exit code 0.
void runBehindProgressDialog();

} // namespace lnx
