#include "launcher/java_window_watch.h"

#include <algorithm>

namespace lnx {

int watchPositionAfter(int position, int progressBase) {
  return std::min(position + (400 - progressBase) / 4, kWatchPositionCap);
}

WatchEnd watchJavaWindowStart(JavaWindowWatchSystem& system, int progressBase, bool noTimeout) {
  int position = progressBase;
  for (int tick = 1; system.visibleWindowCount() < 2; ++tick) {
    if (system.startupMarker() == 2) return WatchEnd::markerSaysUp;
    if (tick % 5 == 0) {
      position = watchPositionAfter(position, progressBase);
      system.setProgressPosition(position);
    }
    if (tick == kWatchTimeoutTick && system.startupMarker() == 1 && !noTimeout) return WatchEnd::timedOut;
    system.sleepOnePoll();
  }
  return WatchEnd::windowVisible;
}

} // namespace lnx
