#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "base/cancellation.h"
#include "base/startup_markers.h"
#include "fs/temp_dir.h"

namespace lnx {

namespace {

std::atomic<bool> ending{false};

} // namespace

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
