#pragma once
// The native log file: installs itself as the destination of logPrint and logError.
// The file is chosen and created with the first line (in the temporary base directory)
// and removed at a normal end of the process unless it is to be kept.
namespace lnx {

void installNativeLog();

} // namespace lnx
