#pragma once
// The runtime choice dialog (resource 104) shown when no runtime was found: Locate lets the
// user pick a java.exe, Download fetches one, Cancel ends the run.
#include <windows.h>

namespace lnx {

// Shows the dialog owned by owner; returns 1004 (Download) or 1005 (a runtime was located
// and loaded). Cancel ends the run with exit code 1 and the start-up markers removed.
INT_PTR showRuntimeChoiceDialog(HWND owner, bool downloadOffered);

// The open-file dialog for a java.exe; true when the picked runtime was loaded (and is
// remembered as a located runtime). A runtime that does not pass shows LoadDLL's error box.
bool chooseJavaExe(HWND owner);

} // namespace lnx
