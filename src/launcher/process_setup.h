#pragma once
// Process hardening and set-up done first thing at start; failures are silent.
#include "base/system_dlls.h"

namespace lnx {

// Limits DLL loading to system32 and added directories (skipped on Windows 6.0).
void restrictDllSearch();
void loadCommonControls();

} // namespace lnx
