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

// What the progress dialog's worker thread runs.
enum class DialogWork {
  WorkSequence,    // the whole start-up work of an interactive start
  RuntimeDownload, // only the download-or-locate flow, for a work sequence that runs without
                   // the dialog (configuration 155, or a dialog that could not be shown)
};

// Shows the progress dialog with work on its worker thread. Returns when that work has
// returned; a canceled run ends the process here with exit code 0. When the dialog cannot be
// shown, the same work runs here without a window.
void runBehindProgressDialog(DialogWork work);

} // namespace lnx
