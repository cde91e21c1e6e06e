#pragma once
// One semaphore per running copy of a setup file, named after the executable's path. In
// single-instance mode it also tells a newcomer that a copy already runs: the newcomer then
// brings that copy's windows to the front and ends.
#include <optional>
#include <string>

namespace lnx {

// Creates this run's semaphore (kept open until the process ends) and publishes its name.
// In single-instance mode, when another copy owns the name: activates that copy's windows
// (when configured) and ends the process with exit code 0.
void checkSingleInstance();

// The semaphore's name once checkSingleInstance ran; none before (and in a language restart).
const std::optional<std::string>& instanceSemaphoreName();

// The process id record of the copy that owns the single-instance semaphore; failures are
// ignored, a missing or malformed record reads as 0.
void writeInstancePid();
unsigned long readInstancePid();

// Brings the visible top-level windows of that process to the front, restoring minimised
// ones when restore is set.
void activateInstanceWindows(unsigned long processId, bool restore);

} // namespace lnx
