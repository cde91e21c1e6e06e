#pragma once
// The watcher's decisions while the Java side starts: when the progress bar moves, when the
// installer's window counts as up, and when the start has taken too long. The clock, the
// window count and the start-up marker come in through JavaWindowWatchSystem, so the rules
// run without waiting.
namespace lnx {

// One poll every 100 ms; the start counts as failed after 2400 polls (about 240 seconds).
constexpr int kWatchPollMs = 100;
constexpr int kWatchTimeoutTick = 2400;
constexpr int kWatchPositionCap = 390;

class JavaWindowWatchSystem {
public:
  virtual ~JavaWindowWatchSystem() = default;
  // Visible top-level windows of the launcher's process, the progress window included.
  virtual int visibleWindowCount() = 0;
  // The per-process start-up marker: 2 says the installer's window is up.
  virtual unsigned long startupMarker() = 0;
  virtual void setProgressPosition(int position) = 0;
  virtual void sleepOnePoll() = 0;
};

enum class WatchEnd {
  windowVisible, // a second window of the process is visible
  markerSaysUp,  // the Java side set the marker to 2
  timedOut,      // tick 2400 with the marker still 1 and no window
};

// The position after tick (counted from 1): every fifth tick adds a quarter of what lies
// between progressBase and 400, never beyond 390.
int watchPositionAfter(int position, int progressBase);

// Polls until the Java side's window is up or the start times out; with noTimeout (the
// configuration that disables the start-up timeout) it waits as long as it takes.
WatchEnd watchJavaWindowStart(JavaWindowWatchSystem& system, int progressBase, bool noTimeout);

} // namespace lnx
