#pragma once
// System libraries loaded early, before anything could plant a library of the same name
// where a later search would look (the entry and the natives both need them), and system
// libraries loaded on first use from the system directory alone.
#include <windows.h>

namespace lnx {

// Loads them once per process; failures are ignored.
void preloadSystemDlls();

// LoadLibraryExW's shape: the call that loads with LOAD_LIBRARY_SEARCH_SYSTEM32.
using FlaggedLibraryLoad = HMODULE(WINAPI*)(const wchar_t* name, HANDLE reserved, DWORD flags);

// The library of that file name in the system directory, never one of the same name found
// elsewhere; nothing (with the loader's last error) when it cannot be loaded. Windows 7 and
// Vista without the loader update KB2533623 refuse LOAD_LIBRARY_SEARCH_SYSTEM32 with
// ERROR_INVALID_PARAMETER; then the library is loaded by its full path in the system
// directory. The flagged load is a parameter so that tests can play such a system.
HMODULE loadSystemLibrary(const wchar_t* name, FlaggedLibraryLoad flaggedLoad = LoadLibraryExW);

} // namespace lnx
