#pragma once
// The runtime that travels with the setup file: "jre.tar.gz" in the extraction directory,
// unpacked into "jre" beside it and loaded from there, with the installed runtimes as the
// fall-back when it does not load.
#include <windows.h>

namespace lnx {

// Extracts the archive (fatal when it is damaged), deletes it, restores packed jars, then
// useIncludedRuntime. Returns only with a runtime loaded.
bool prepareIncludedRuntime(HWND progressWindow);

// Loads the runtime of "jre", else searches the installed ones; ends the run when neither
// loads.
bool useIncludedRuntime();

} // namespace lnx
