#pragma once
// The configured native library directories, registered as DLL search directories and put
// in front of PATH, so both the platform loader and the VM (java.library.path) find them.
#include <string>

namespace lnx {

// What AddDllDirectory returned; null when the platform lacks it or the call failed.
using DllDirectoryCookie = void*;

// Called once after the TempDir has been created, before the runtime search: puts the
// directories in front of PATH and keeps them for the registration.
void setNativeLibraryPath();
// Called once the included files are extracted: registers the kept directories as DLL
// search directories. Those inside the TempDir are created when missing; the
// registration of any other directory that does not exist fails and is logged.
void registerNativeLibraryDirectories();

// Logs the registration, or its failure with the platform's error.
DllDirectoryCookie addDllDirectory(const std::string& directory);
// Does nothing for a null cookie.
void removeDllDirectory(DllDirectoryCookie cookie);

} // namespace lnx
