#include "launcher/java_window_watcher.h"

#include "base/launcher_state.h"
#include "base/progress_bar.h"
#include "base/startup_markers.h"
#include "instance/process_windows.h"
#include "launcher/java_window_watch.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"

namespace lnx {

namespace {

class ProcessWindowWatch : public JavaWindowWatchSystem {
public:
  explicit ProcessWindowWatch(HWND progressWindow) : progressWindow_(progressWindow) {}
  int visibleWindowCount() override { return countProcessWindows(GetCurrentProcessId()); }
  unsigned long startupMarker() override { return readStartupMarker(); }
  void setProgressPosition(int position) override { lnx::setProgressPosition(progressWindow_, position); }
  void sleepOnePoll() override { Sleep(kWatchPollMs); }

private:
  HWND progressWindow_;
};

DWORD WINAPI watchJavaWindow(void* progressWindow) try {
  HWND window = static_cast<HWND>(progressWindow);
  ProcessWindowWatch watch(window);
  bool noTimeout = getConfigInt(config::noStartupTimeout) != 0;
  if (watchJavaWindowStart(watch, launcherState().progressBase, noTimeout) == WatchEnd::timedOut) {
    logPrint(L"timeout");
    failWithMessage(message::startupTimeout);
  }
  setStartupMarkers(false, true, false);
  logPrint(L"Java window visible");
  ShowWindow(window, SW_HIDE);
  return 0;
} catch (...) {
  failOnEscapedException(L"window watcher");
}

} // namespace

void startJavaWindowWatcher(HWND progressWindow) {
  HANDLE thread = CreateThread(nullptr, 0, watchJavaWindow, progressWindow, 0, nullptr);
  if (!thread) {
    logError(L"could not start the window watcher %d", static_cast<int>(GetLastError()));
    return;
  }
  SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  CloseHandle(thread);
}

} // namespace lnx
