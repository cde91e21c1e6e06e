#pragma once
namespace lnx {

// The launcher's ordered start-up work; progressWindow is the progress dialog or null.
// Returns 0 when the work is done; fatal errors end the process.
int runWorkSequence(void* progressWindow);

} // namespace lnx
