// Path operations against the real (Wine) file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/path_names.h"
#include "fs/temp_base.h"
#include "text/codepage.h"

namespace lnx {
namespace {

class ScratchDirectory : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "lnx_path_ops_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root_.c_str(), nullptr);
  }
  void TearDown() override {
    emptyDirectory(root_, true);
    RemoveDirectoryA(root_.c_str());
  }
  void makeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    CloseHandle(file);
  }
  std::string root_;
};

TEST_F(ScratchDirectory, EmptyDirectoryRemovesTheWholeTree) {
  CreateDirectoryA((root_ + "\\one").c_str(), nullptr);
  CreateDirectoryA((root_ + "\\deep").c_str(), nullptr);
  CreateDirectoryA((root_ + "\\deep\\two").c_str(), nullptr);
  makeFile(root_ + "\\top.txt");
  makeFile(root_ + "\\one\\a.txt");
  makeFile(root_ + "\\deep\\b.txt");
  makeFile(root_ + "\\deep\\two\\c.txt");

  emptyDirectory(root_, true);
  EXPECT_FALSE(pathExists(root_ + "\\top.txt"));
  EXPECT_FALSE(pathExists(root_ + "\\one")) << "an emptied subdirectory is removed";
  EXPECT_FALSE(pathExists(root_ + "\\deep\\two\\c.txt")) << "an extracted runtime lies several levels deep";
  EXPECT_FALSE(pathExists(root_ + "\\deep"));

  makeFile(root_ + "\\x.txt");
  emptyDirectory(".\\" + root_, true);
  emptyDirectory("", true);
  EXPECT_TRUE(pathExists(root_ + "\\x.txt")) << "paths starting with '.' are refused";
}

TEST_F(ScratchDirectory, PathExistsFindsFilesDirectoriesAndDriveRoots) {
  makeFile(root_ + "\\f.txt");
  unsigned long long written = 0;
  EXPECT_TRUE(pathExists(root_ + "\\f.txt", &written));
  EXPECT_NE(0ull, written);
  EXPECT_TRUE(pathExists(narrowToWide(root_)));
  EXPECT_FALSE(pathExists(root_ + "\\missing"));
  EXPECT_TRUE(pathExists(std::string("q:\\"))) << "a drive root counts without a look-up";
  EXPECT_FALSE(pathExists(std::string("q:\\x")));
}

TEST_F(ScratchDirectory, ProbeCreatesAndRemovesItsTestDirectory) {
  EXPECT_TRUE(probeDirectory(root_, false, true));
  EXPECT_TRUE(probeDirectory(narrowToWide(root_), false, true));
  EXPECT_FALSE(probeDirectory(root_ + "\\missing", false, false));
  EXPECT_TRUE(probeDirectory(root_ + "\\created", true, false)) << "create-first makes the directory";
  EXPECT_FALSE(probeDirectory(std::string(), true, false));
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((root_ + "\\mrvtw*").c_str(), &entry);
  EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "no probe directory is left behind";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(ScratchDirectory, UnrepresentableNameFailsNarrowProbeOnly) {
  std::wstring greek = narrowToWide(root_) + L"\\\u03b1\u03b2\u03b3";
  ASSERT_TRUE(CreateDirectoryW(greek.c_str(), nullptr));
  EXPECT_TRUE(probeDirectory(greek, false, true));
  std::string narrow;
  EXPECT_FALSE(wideToNarrow(greek, narrow)) << "the Western code page has no Greek letters";
  // The narrow probe works beside it for a name the code page holds: only the Greek name
  // has no narrow form to probe (probing its "???" could not fail anyway).
  std::string latin = root_ + "\\abc";
  ASSERT_TRUE(CreateDirectoryA(latin.c_str(), nullptr));
  EXPECT_TRUE(probeDirectory(latin, false, true));
  RemoveDirectoryA(latin.c_str());
  EXPECT_FALSE(setManualTempDir(L"")) << "an empty directory is not usable";
  RemoveDirectoryW(greek.c_str());
}

TEST_F(ScratchDirectory, ARelativeManualTempDirIsKeptAbsolute) {
  CreateDirectoryA((root_ + "\\rel").c_str(), nullptr);
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(root_.c_str());
  bool accepted = setManualTempDir(L"rel");
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(accepted);
  std::string base = getTempBase();
  EXPECT_EQ(root_ + "\\rel", base.back() == '\\' ? base.substr(0, base.size() - 1) : base)
      << "a later change of directory does not move the base";
  setManualTempDir(L""); // the next tests search again
}

TEST(ModuleNames, DirectoriesEndInSeparatorAndMatchTheModule) {
  const std::string& module = moduleFileName();
  EXPECT_GE(module.size(), 5u);
  EXPECT_EQ(".exe", module.substr(module.size() - 4));
  ASSERT_FALSE(launcherDirectory().empty());
  EXPECT_EQ('\\', launcherDirectory().back());
  EXPECT_EQ(0u, module.find(launcherDirectory()));
  EXPECT_EQ(L'\\', launcherDirectoryLong().back());
  EXPECT_EQ(0u, longModuleFileName().find(launcherDirectoryLong()));
}

TEST(MakeFullPath, ParentOfLauncherDirectoryLowerCasedUnlessKeepCase) {
  std::wstring parent = launcherDirectoryLong();
  parent.pop_back();
  parent = parent.substr(0, parent.find_last_of(L'\\') + 1);
  std::wstring lowered = parent + L"lib\\x.jar";
  CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
  EXPECT_EQ(lowered, makeFullPath(L"..\\Lib\\X.jar", false, false));
  EXPECT_EQ(parent + L"Lib\\X.jar", makeFullPath(L"..\\Lib\\\\X.jar", true, false));
  EXPECT_EQ(L"c:\\abs\\x", makeFullPath(L"C:\\abs\\.\\X", false, false));
}

} // namespace
} // namespace lnx
