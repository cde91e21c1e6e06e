#include "launcher/cancellation.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "fs/temp_dir.h"
#include "launcher/startup_markers.h"

namespace lnx {

namespace {

std::atomic<bool> canceled{false};
std::atomic<bool> checkpointsPassed{false};
std::atomic<bool> ending{false};

} // namespace

void requestCancel() { canceled = true; }

void stopIfCanceled() {
  if (canceled) endCanceledRun();
}

void passLastCheckpoint() { checkpointsPassed = true; }
bool lastCheckpointPassed() { return checkpointsPassed; }

void endCanceledRun() {
  // The first thread to get here ends the process; a second one only waits for that.
  if (ending.exchange(true)) {
    for (;;)
      Sleep(INFINITE);
  }
  setStartupMarkers(false, true, true);
  removeExtractionDirectory();
  std::fflush(nullptr);
  std::exit(0);
}

} // namespace lnx
