#include "cleanup/windel_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lnx {
namespace {

TEST(WindelPaths, TempDirNamesAreExactlyTheLaunchersTwoForms) {
  for (const wchar_t* name : {L"mrv1A2B.tmp_dir1700000000", L"mrvf.tmp_dir-5", L"mrv12345_dir17", L"mrv0_dir-1"})
    EXPECT_TRUE(isTempDirName(name)) << name;
  for (const wchar_t* name : {L"mrv1A2B3.tmp_dir1", L"mrv.tmp_dir1", L"mrv1A.tmp_dir", L"mrv1A.tmp_dir1x",
                              L"xmrv1A.tmp_dir1", L"MRV1A.TMP_DIR1", L"mrv1A.tmp", L"mrv1A_dir1", L"mrv1_dir",
                              L"mrv1A.tmp_dir12345678901", L"mrv1A.tmp_dir1.", L"mrv1.tmp_dir--1"})
    EXPECT_FALSE(isTempDirName(name)) << name;
}

TEST(WindelPaths, OnlyPlainAbsolutePathsAreAcceptable) {
  for (const wchar_t* path :
       {L"C:\\T\\a.txt", L"z:\\d\u00e9j\u00e0 vu\\ x", L"\\\\server\\share\\a", L"C:\\...a", L"C:\\T\\.hidden"})
    EXPECT_EQ(nullptr, listPathProblem(path)) << path;
  for (const wchar_t* path :
       {L"a.txt", L"EOSMARKER", L"C:a.txt", L"\\T\\a.txt", L"C:\\", L"C:", L"1:\\a", L"\\\\server\\share",
        L"\\\\server\\share\\", L"\\\\\\share\\a\\b", L"\\\\?\\C:\\a", L"\\\\.\\C:\\a", L"C:\\T\\..\\a", L"C:\\T\\.\\a",
        L"C:\\T\\...", L"C:\\T\\.. \\a", L"C:\\T\\a.", L"C:\\T\\a ", L"C:\\T\\\\a", L"C:\\T\\", L"C:\\T\\*.jar",
        L"C:\\T\\a?", L"C:\\T\\a<", L"C:\\T\\a\"", L"C:\\T\\a|b", L"C:\\T/../a", L"C:\\T\\a.txt:stream",
        L"C:\\T\\a\tb"})
    EXPECT_NE(nullptr, listPathProblem(path)) << path;
  EXPECT_NE(nullptr, listPathProblem(std::wstring(L"C:\\T\\a") + L'\0' + L"b"));
}

TEST(WindelPaths, TheLaunchersOwnPathsHaveATempDirNameBelowTheRoot) {
  EXPECT_TRUE(isLauncherTemporaryPath(L"C:\\T\\mrv1A.tmp_dir170\\a.jar"));
  EXPECT_TRUE(isLauncherTemporaryPath(L"C:\\T\\mrv1A.tmp_dir170"));
  EXPECT_TRUE(isLauncherTemporaryPath(L"\\\\srv\\share\\mrv12_dir5\\a"));
  EXPECT_FALSE(isLauncherTemporaryPath(L"C:\\T\\mrv1A.tmp"));
  EXPECT_FALSE(isLauncherTemporaryPath(L"C:\\T\\mrv1A.tmp_dir170x\\a.jar")) << "a name that only contains it";
  EXPECT_FALSE(isLauncherTemporaryPath(L"C:\\T\\mrv1.tmp_dir1\\..\\..\\Users\\me\\thesis.docx"));
  EXPECT_FALSE(isLauncherTemporaryPath(L"\\\\srv\\mrv12_dir5\\a")) << "a share is no directory of the launcher";
}

TEST(WindelPaths, TheGuardedDirectoriesRunFromTheTempDirToTheParent) {
  using Paths = std::vector<std::wstring>;
  EXPECT_EQ((Paths{L"C:\\T\\mrv1.tmp_dir1", L"C:\\T\\mrv1.tmp_dir1\\jre", L"C:\\T\\mrv1.tmp_dir1\\jre\\bin"}),
            guardedDirectories(L"C:\\T\\mrv1.tmp_dir1\\jre\\bin\\java.dll"));
  EXPECT_EQ(Paths{L"\\\\s\\h\\mrv1.tmp_dir1"}, guardedDirectories(L"\\\\s\\h\\mrv1.tmp_dir1\\a"));
  EXPECT_TRUE(guardedDirectories(L"C:\\T\\mrv1.tmp_dir1").empty()) << "the TempDir itself is opened as itself";
  EXPECT_TRUE(guardedDirectories(L"C:\\T\\sub\\a.txt").empty());
  EXPECT_TRUE(guardedDirectories(L"C:\\T\\mrv1.tmp_dir1\\..\\a").empty());
}

} // namespace
} // namespace lnx
