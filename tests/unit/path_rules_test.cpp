#include "fs/path_rules.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

TEST(IsRelativePath, DrivePathsAndUncAreAbsolute) {
  EXPECT_FALSE(isRelativePath(std::string("c:\\x")));
  EXPECT_FALSE(isRelativePath(std::wstring(L"\\\\server\\share")));
  EXPECT_FALSE(isRelativePath(std::string("\"c:\\x\"")));
  EXPECT_FALSE(isRelativePath(std::string("c:\\")));
}

TEST(IsRelativePath, EverythingElseIsRelative) {
  EXPECT_TRUE(isRelativePath(std::string("c:/x")));
  EXPECT_TRUE(isRelativePath(std::string("\\dir\\x")));
  EXPECT_TRUE(isRelativePath(std::string("c:")));
  EXPECT_TRUE(isRelativePath(std::string("\"c:")));
  EXPECT_TRUE(isRelativePath(std::string("\"c:/x")));
  EXPECT_TRUE(isRelativePath(std::wstring(L"..\\lib")));
  EXPECT_TRUE(isRelativePath(std::wstring(L"")));
}

TEST(CollapseSeparators, DoubledSeparatorsCollapseButUncPairStays) {
  std::wstring path = L"c:\\a\\\\\\b\\\\c";
  collapseSeparators(path);
  EXPECT_EQ(L"c:\\a\\b\\c", path);
  std::wstring unc = L"\\\\server\\\\share";
  collapseSeparators(unc);
  EXPECT_EQ(L"\\\\server\\share", unc);
  std::wstring tripleUnc = L"\\\\\\x";
  collapseSeparators(tripleUnc);
  EXPECT_EQ(L"\\\\x", tripleUnc);
}

TEST(ResolvePath, RelativeJoinsBaseAndKeepsDots) {
  EXPECT_EQ(L"c:\\setup\\..\\lib\\x", resolvePath(L"..\\lib\\x", L"c:\\setup\\"));
  EXPECT_EQ(L"c:\\setup\\sub\\x", resolvePath(L"\\sub\\x", L"c:\\setup\\"));
  EXPECT_EQ(L"d:\\abs", resolvePath(L"d:\\\\abs", L"c:\\setup\\"));
  EXPECT_EQ(L"\\\\srv\\s", resolvePath(L"\\\\srv\\s", L"c:\\setup\\"));
}

TEST(PathRules, DirectorySuffixAndRoots) {
  EXPECT_EQ(L"c:\\a\\", directoryOf(std::wstring(L"c:\\a\\setup.exe")));
  EXPECT_EQ("", directoryOf(std::string("setup.exe")));
  EXPECT_TRUE(hasExeSuffix("a.EXE"));
  EXPECT_FALSE(hasExeSuffix(".exe"));
  EXPECT_FALSE(hasExeSuffix("a.exe.txt"));
  EXPECT_TRUE(isDriveRoot(std::string("q:\\")));
  EXPECT_TRUE(isDriveRoot(std::wstring(L"c:\\.\\.")));
  EXPECT_FALSE(isDriveRoot(std::string("c:\\x")));
  EXPECT_EQ("c:\\tmp\\", withTrailingSeparator(std::string("c:\\tmp")));
  EXPECT_EQ(L"c:/", withTrailingSeparator(std::wstring(L"c:/")));
}

} // namespace
} // namespace lnx
