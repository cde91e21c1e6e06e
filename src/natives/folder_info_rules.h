#pragma once
// The folder codes of FolderInfo's getSpecialFolder0: codes up to kLastShellFolderCode
// name shell folders (CSIDL values), per user or for all users; higher codes name known
// folders. Also which copy of the shell-folder library serves the shell folders.
#include <cstdint>

namespace lnx {

constexpr int32_t kLastShellFolderCode = 1000;

// The CSIDL of a folder code up to kLastShellFolderCode: the all-users or the current
// user's folder of codes 1 to 11, the desktop (CSIDL_DESKTOP, 0) for any other code.
int specialFolderCsidl(int32_t folderCode, bool allUsers);

enum class KnownFolder { downloads, userProgramFiles, userProgramFilesCommon, profile };

// The known folder of a code above kLastShellFolderCode: 1001 to 1003 have their own,
// any other code names the user profile.
KnownFolder knownFolderOf(int32_t folderCode);

// Whether SHGetFolderPathW is taken from the private copy "_shfoldr.dll" rather than from
// "shfolder.dll", given how the private copy's version compares to the system one's
// (compareFileVersions with the private copy first): when the private copy is newer or
// the versions cannot be compared.
bool prefersPrivateFolderLibrary(int versionComparison);

} // namespace lnx
