#pragma once
// Unpacking the runtime archive ("jre.tar.gz") into a directory, with progress in the
// progress dialog (100 to 200).
#include <windows.h>

#include <cstdint>
#include <string>

namespace lnx {

// True when the end of the archive was reached cleanly after at least one regular file.
// Both paths are full paths: the current directory plays no part. A file that cannot be
// created ends the run (error box, exit code 1) once the archive is closed again.
bool untarGz(const std::string& archive, const std::string& targetDirectory, HWND progressWindow, int64_t expectedSize);

} // namespace lnx
