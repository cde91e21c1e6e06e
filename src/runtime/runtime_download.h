#pragma once
// Getting a runtime from the download location (configuration 150) when none was found:
// ask through the runtime choice dialog (or not, with 157), then download "jre.tar.gz" into
// the extraction directory with three attempts.
#include <windows.h>

namespace lnx {

// The download-or-locate flow; sets runtimeIncluded after a download. The progress dialog that
// hosts it is ended by its host, not here. Returns 0.
DWORD runtimeDownloadFlow(HWND progressWindow);

} // namespace lnx
