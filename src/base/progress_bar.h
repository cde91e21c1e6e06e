#pragma once
// The progress dialog's bar as the work sequence, the integrity check and the watcher move
// it. A null window (no dialog) makes both calls do nothing.
#include <windows.h>

namespace lnx {

void setProgressRange(HWND progressWindow, int low, int high);
void setProgressPosition(HWND progressWindow, int position);

} // namespace lnx
