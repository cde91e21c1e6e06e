#include "base/dialog_window.h"

namespace lnx {

void centerDialog(HWND window) {
  HWND parent = GetParent(window);
  if (!parent) parent = GetDesktopWindow();
  RECT parentRect{}, windowRect{};
  GetWindowRect(parent, &parentRect);
  GetWindowRect(window, &windowRect);
  int parentWidth = parentRect.right - parentRect.left, parentHeight = parentRect.bottom - parentRect.top;
  int width = windowRect.right - windowRect.left, height = windowRect.bottom - windowRect.top;
  SetWindowPos(window, nullptr, parentRect.left + (parentWidth - width) / 2,
               parentRect.top + (parentHeight - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void endProgressDialog(HWND window) { PostMessageW(window, kWorkDoneMessage, 0, 0); }

} // namespace lnx
