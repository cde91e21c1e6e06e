#include "base/cancellation.h"

#include <atomic>

namespace lnx {

namespace {

std::atomic<bool> canceled{false};
std::atomic<bool> checkpointsPassed{false};

} // namespace

void requestCancel() { canceled = true; }
bool cancelRequested() { return canceled; }

void stopIfCanceled() {
  if (canceled) throw RunCanceled();
}

void passLastCheckpoint() { checkpointsPassed = true; }
bool lastCheckpointPassed() { return checkpointsPassed; }

} // namespace lnx
