#include "natives/folder_info_rules.h"

#include <gtest/gtest.h>

#include <climits>

#include "natives/file_version_rules.h"

namespace lnx {
namespace {

TEST(FolderInfoRules, CodesWithoutShellFolderNameTheDesktop) {
  for (int32_t code : {0, -1, 12, 999, kLastShellFolderCode, INT_MIN}) {
    EXPECT_EQ(0, specialFolderCsidl(code, true)) << code;
    EXPECT_EQ(0, specialFolderCsidl(code, false)) << code;
  }
}

TEST(FolderInfoRules, CodesAboveTheShellFoldersNameKnownFolders) {
  EXPECT_EQ(KnownFolder::downloads, knownFolderOf(1001));
  EXPECT_EQ(KnownFolder::userProgramFiles, knownFolderOf(1002));
  EXPECT_EQ(KnownFolder::userProgramFilesCommon, knownFolderOf(1003));
  for (int32_t code : {1004, 1500, INT_MAX})
    EXPECT_EQ(KnownFolder::profile, knownFolderOf(code)) << code;
}

TEST(FolderInfoRules, PrivateFolderLibraryServesWhenNewerOrNotComparable) {
  EXPECT_TRUE(prefersPrivateFolderLibrary(kFirstVersionHigher));
  EXPECT_TRUE(prefersPrivateFolderLibrary(kVersionUnreadable));
  EXPECT_FALSE(prefersPrivateFolderLibrary(kVersionsEqual));
  EXPECT_FALSE(prefersPrivateFolderLibrary(kSecondVersionHigher));
}

} // namespace
} // namespace lnx
