#pragma once
// Process hardening and set-up done first thing at start; failures are silent.
namespace lnx {

// Limits DLL loading to system32 and added directories (skipped on Windows 6.0).
void restrictDllSearch();
// Loads the system libraries that would otherwise be searched for later, once.
void preloadSystemDlls();
void loadCommonControls();

} // namespace lnx
