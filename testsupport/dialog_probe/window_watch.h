#pragma once
// Watching whether a window of another process keeps answering messages until it goes
// away, as a user sees a window freeze or disappear.
#include <windows.h>

namespace probe {

enum class WatchEnd { Hidden, Destroyed, Timeout };

struct WatchResult {
  unsigned long answered = 0;
  unsigned long missed = 0; // pings not answered while the window was still shown
  WatchEnd end = WatchEnd::Timeout;
  unsigned long long elapsedMs = 0;
};

// Pings the window with WM_NULL every 50 ms until it is hidden, destroyed or limitMs
// have passed.
WatchResult watchWindow(HWND window, unsigned long limitMs);
// Writes "pings: <answered> <missed>", "ended: hidden|destroyed|timeout" and
// "ended-after-ms: <ms>".
void printWatchResult(const WatchResult& result);

} // namespace probe
