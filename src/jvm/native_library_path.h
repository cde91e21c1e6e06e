#pragma once
// The configured native library directories, registered as DLL search directories and put
// in front of PATH, so both the platform loader and the VM (java.library.path) find them.
#include <string>

namespace lnx {

// What AddDllDirectory returned; null when the platform lacks it or the call failed.
using DllDirectoryCookie = void*;

// Called once after the TempDir has been created, before the runtime search.
void setNativeLibraryPath();

DllDirectoryCookie addDllDirectory(const std::string& directory);
// Does nothing for a null cookie.
void removeDllDirectory(DllDirectoryCookie cookie);

} // namespace lnx
