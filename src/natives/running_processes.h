#pragma once
// The running processes as texts "<id> <image path>", in the system's order, each of at
// most 4,095 UTF-16 units. Processes that cannot be opened or whose image path cannot be
// read are left out.
#include <string>
#include <vector>

namespace lnx {

// By EnumProcesses (Psapi) and the image path of each process (QueryFullProcessImageNameW
// of Kernel32, else the main module's name); a process started from a ".tmp" image is
// given its main module's name. None when the functions cannot be had.
std::vector<std::wstring> processTextsByImagePath();

// By Toolhelp snapshots: each process's first module. None when the functions cannot be
// had; that is reported on standard output.
std::vector<std::wstring> processTextsBySnapshot();

} // namespace lnx
