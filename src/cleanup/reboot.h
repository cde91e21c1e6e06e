#pragma once
// Restarting Windows: at once for the temp cleanup, after a delay for the reboot mode.

namespace lnx {

// Enables the shutdown privilege and asks for a restart; true when Windows accepted it.
bool rebootNow();

// The reboot mode's work: waits 5 seconds, then asks for a restart, whatever comes of it.
void rebootAfterDelay();

} // namespace lnx
