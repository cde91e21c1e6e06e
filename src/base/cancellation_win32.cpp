#include "base/cancellation.h"

#include <atomic>

namespace lnx {

namespace {

std::atomic<bool> canceled{false};
std::atomic<bool> checkpointsPassed{false};

} // namespace

void requestCancel() { canceled = true; }

void stopIfCanceled() {
  if (canceled) endCanceledRun();
}

void passLastCheckpoint() { checkpointsPassed = true; }
bool lastCheckpointPassed() { return checkpointsPassed; }

} // namespace lnx
