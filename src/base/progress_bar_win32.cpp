#include "base/progress_bar.h"

#include <commctrl.h>

#include "base/resource_ids.h"

namespace lnx {

void setProgressRange(HWND progressWindow, int low, int high) {
  if (progressWindow)
    SendDlgItemMessageA(progressWindow, LNX_CONTROL_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void setProgressPosition(HWND progressWindow, int position) {
  if (progressWindow)
    SendDlgItemMessageA(progressWindow, LNX_CONTROL_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

} // namespace lnx
