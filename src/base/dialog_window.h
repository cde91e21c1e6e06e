#pragma once
// What the dialogs of every layer share with the progress dialog: centring, and the
// message that tells the progress dialog its work is done.
#include <windows.h>

namespace lnx {

constexpr UINT kWorkDoneMessage = WM_APP + 1;

// Centres the window on its parent, or on the desktop when it has none.
void centerDialog(HWND window);

// Called by the worker when its work is done: the progress dialog ends and
// runBehindProgressDialog returns.
void endProgressDialog(HWND window);

} // namespace lnx
