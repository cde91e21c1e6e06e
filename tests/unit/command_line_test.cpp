#include "launcher/command_line.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

ArgumentList split(const std::wstring& line) {
  ArgumentList args;
  EXPECT_EQ(0, splitCommandLine(line, args));
  return args;
}

TEST(SplitCommandLine, QuotedNameGluedToTextGivesFourTokens) {
  EXPECT_EQ((ArgumentList{L"C:\\setup.exe", L"C:\\my dir", L"x", L"-q"}),
            split(L"C:\\setup.exe \"C:\\my dir\"x -q"));
}

TEST(SplitCommandLine, SpacesSeparateAndQuotesGroup) {
  EXPECT_EQ((ArgumentList{L"a", L"b", L"c"}), split(L"a  b c "));
  // A doubled quote is no escape: it closes and reopens.
  EXPECT_EQ((ArgumentList{L"it", L"s here", L"x"}), split(L"'it''s here' x"));
  EXPECT_EQ((ArgumentList{L"say \"hi\" now"}), split(L"'say \"hi\" now'"));
  EXPECT_EQ((ArgumentList{L"pre mid", L"post"}), split(L"pre\" mid\"post"));
  EXPECT_EQ((ArgumentList{L""}), split(L"\"\""));
  EXPECT_EQ((ArgumentList{L"-temp", L"", L"-q"}), split(L"-temp \"\" -q"));
}

TEST(SplitCommandLine, NoEscapesAndTabsAreOrdinary) {
  EXPECT_EQ((ArgumentList{L"a\\", L"b"}), split(L"\"a\\\" b"));
  EXPECT_EQ((ArgumentList{L"a\tb", L"c"}), split(L"a\tb c"));
}

TEST(SplitCommandLine, UnclosedQuoteRunsToTheEnd) {
  EXPECT_EQ((ArgumentList{L"a", L"b c d"}), split(L"a \"b c d"));
  EXPECT_EQ((ArgumentList{L"x"}), split(L"'x"));
}

TEST(SplitCommandLine, AppendsToExistingList) {
  ArgumentList args{L"first"};
  splitCommandLine(L"second", args);
  EXPECT_EQ((ArgumentList{L"first", L"second"}), args);
}

TEST(StartModes, RebootIsWholeTextOthersArePrefixes) {
  EXPECT_TRUE(detectStartModes("__lnx_reboot").reboot);
  EXPECT_FALSE(detectStartModes("__lnx_reboot x").reboot);
  EXPECT_TRUE(detectStartModes("__lnx_lang_restart -q").languageRestart);
  EXPECT_TRUE(detectStartModes("__lnx_extract_and_exitfoo").extractAndExit);
  EXPECT_TRUE(detectStartModes("__lnx_windel a b").tempCleanup);
  StartModes none = detectStartModes(nullptr);
  EXPECT_FALSE(none.reboot || none.languageRestart || none.extractAndExit || none.tempCleanup);
  EXPECT_FALSE(detectStartModes("x __lnx_lang_restart").languageRestart);
}

TEST(StartOptions, CreateLogOnlyDirectlyAfterProgram) {
  ArgumentList args{L"p", L"/create-mrv-log", L"-q"};
  EXPECT_TRUE(takeCreateLogOption(args));
  EXPECT_EQ((ArgumentList{L"p", L"-q"}), args);

  ArgumentList later{L"p", L"-q", L"-create-lnx-log"};
  EXPECT_FALSE(takeCreateLogOption(later));
  EXPECT_EQ(3u, later.size());
  ArgumentList upper{L"p", L"-CREATE-LNX-LOG"};
  EXPECT_FALSE(takeCreateLogOption(upper));
}

TEST(StartOptions, FirstTempOptionIsFound) {
  EXPECT_EQ(2u, findTempOption({L"p", L"-q", L"/temp", L"a", L"-temp", L"b"}));
  EXPECT_EQ(2u, findTempOption({L"p", L"-TEMP"}));
}

} // namespace
} // namespace lnx
