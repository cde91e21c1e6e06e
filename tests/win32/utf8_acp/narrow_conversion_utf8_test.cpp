// Narrow conversions in a process whose ANSI code page is UTF-8 (this program's manifest
// asks for it, as the Windows 10/11 option does for every program): texts convert whole,
// and only what UTF-8 cannot hold (a lone surrogate) fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "text/codepage.h"

namespace lnx {
namespace {

TEST(Utf8AnsiCodePage, TextsConvertWholeAndOnlyLoneSurrogatesFail) {
  ASSERT_EQ(65001u, GetACP()) << "the manifest sets the ANSI code page";
  const std::wstring wide = L"-Dinstall.dir=C:\\Programme\\Gr\u00fc\u00dfe \u65e5\u672c \xd83d\xde00";
  const std::string utf8 = "-Dinstall.dir=C:\\Programme\\Gr\xc3\xbc\xc3\x9f" "e \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80";
  std::string narrow = "stale";
  EXPECT_TRUE(wideToNarrow(wide, narrow));
  EXPECT_EQ(utf8, narrow);
  EXPECT_EQ(wide, narrowToWide(utf8));

  EXPECT_TRUE(wideToNarrow(L"", narrow));
  EXPECT_EQ("", narrow);
  EXPECT_FALSE(wideToNarrow(L"a\xd800" L"b", narrow)) << "a lone surrogate has no UTF-8 form";
}

} // namespace
} // namespace lnx
