// The TempDir goes whole at the end of a run, also while the current directory lies in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "fs/temp_dir.h"

namespace lnx {
namespace {

TEST(ExtractionDirectoryRemoval, ACurrentDirectoryInsideDoesNotKeepIt) {
  char temp[MAX_PATH], previous[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetCurrentDirectoryA(MAX_PATH, previous);
  std::string tempDir = std::string(temp) + "lnxremoval" + std::to_string(GetCurrentProcessId()) + "_dir1";
  ASSERT_TRUE(CreateDirectoryA(tempDir.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((tempDir + "\\jre").c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA((tempDir + "\\jre").c_str()));
  LauncherState saved = launcherState();
  launcherState().extractionDir = tempDir;
  launcherState().languageRestart = false;
  removeExtractionDirectory();
  launcherState() = saved;
  bool left = GetFileAttributesA(tempDir.c_str()) != INVALID_FILE_ATTRIBUTES;
  SetCurrentDirectoryA(previous);
  if (left) { // tidy up after a failure
    emptyDirectory(tempDir, true);
    RemoveDirectoryA(tempDir.c_str());
  }
  EXPECT_FALSE(left);
}

} // namespace
} // namespace lnx
