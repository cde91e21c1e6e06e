#include "window_minimize.h"

namespace probe {
namespace {

const DWORD iconicWaitMs = 5000;
const DWORD pollIntervalMs = 20;

} // namespace

bool minimizeWindow(HWND window) {
  // The system command, not ShowWindow: it reaches the window procedure first, as the
  // user's click does, so a program that reacts to being minimised sees it.
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  const ULONGLONG deadline = GetTickCount64() + iconicWaitMs;
  while (IsWindow(window) && !IsIconic(window)) {
    if (GetTickCount64() >= deadline)
      return false;
    Sleep(pollIntervalMs);
  }
  return IsIconic(window) != FALSE;
}

} // namespace probe
