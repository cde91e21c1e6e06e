#include "natives/folder_info_rules.h"

#include "natives/file_version_rules.h"

namespace lnx {

namespace {

struct ShellFolderPair {
  int allUsers;
  int currentUser;
};

// Indexed by folder code - 1.
constexpr ShellFolderPair kShellFolders[] = {
    {25, 16}, // desktop: CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY
    {22, 11}, // start menu: CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU
    {23, 2},  // programs: CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS
    {24, 7},  // start-up: CSIDL_COMMON_STARTUP, CSIDL_STARTUP
    {9, 9},   // send to: CSIDL_SENDTO
    {20, 20}, // fonts: CSIDL_FONTS
    {35, 26}, // application data: CSIDL_COMMON_APPDATA, CSIDL_APPDATA
    {46, 5},  // documents: CSIDL_COMMON_DOCUMENTS, CSIDL_PERSONAL
    {45, 21}, // templates: CSIDL_COMMON_TEMPLATES, CSIDL_TEMPLATES
    {31, 6},  // favorites: CSIDL_COMMON_FAVORITES, CSIDL_FAVORITES
    {28, 28}, // local application data: CSIDL_LOCAL_APPDATA
};
constexpr int32_t kShellFolderCount = static_cast<int32_t>(sizeof(kShellFolders) / sizeof(kShellFolders[0]));
constexpr int kDesktopCsidl = 0;

} // namespace

int specialFolderCsidl(int32_t folderCode, bool allUsers) {
  if (folderCode < 1 || folderCode > kShellFolderCount) return kDesktopCsidl;
  const ShellFolderPair& pair = kShellFolders[folderCode - 1];
  return allUsers ? pair.allUsers : pair.currentUser;
}

KnownFolder knownFolderOf(int32_t folderCode) {
  switch (folderCode) {
  case 1001:
    return KnownFolder::downloads;
  case 1002:
    return KnownFolder::userProgramFiles;
  case 1003:
    return KnownFolder::userProgramFilesCommon;
  default:
    return KnownFolder::profile;
  }
}

bool prefersPrivateFolderLibrary(int versionComparison) {
  return versionComparison == kFirstVersionHigher || versionComparison == kVersionUnreadable;
}

} // namespace lnx
