#include "log/log_text.h"

#include <gtest/gtest.h>

#include <set>

namespace lnx {
namespace {

TEST(LogText, StampHasSecondsAndUnpaddedMilliseconds) {
  EXPECT_EQ(L"[0:0] ", logStamp(5000, 5000));
  EXPECT_EQ(L"[1:7] ", logStamp(5000, 6007));
  EXPECT_EQ(L"[12:345] ", logStamp(0, 12345));
  // Only the low 32 bits count, so a clock that wraps between the two values still works.
  EXPECT_EQ(L"[0:10] ", logStamp(0x1FFFFFFFBull, 0x200000005ull));
}

TEST(LogText, PlainAndErrorLines) {
  EXPECT_EQ(L"[2:50] Init done\n", logLine(0, 2050, false, L"Init done"));
  EXPECT_EQ(L"[0:1] ERROR: No JRE found\n", logLine(0, 1, true, L"No JRE found"));
}

TEST(LogText, NumberedFileTakesFirstNumberThatCanBeCreated) {
  std::set<std::wstring> present = {L"C:\\t\\lnx_nlog_1.log", L"C:\\t\\lnx_nlog_2.log", L"C:\\t\\lnx_nlog_3.log"};
  auto create = [&](const std::wstring& name, bool overwrite) {
    if (present.count(name) && !overwrite) return CreateResult::Exists;
    present.insert(name);
    return CreateResult::Created;
  };
  EXPECT_EQ(L"C:\\t\\lnx_nlog_4.log", createNumberedLogFile(L"C:\\t\\", create));
  EXPECT_EQ(L"C:\\t\\lnx_nlog_5.log", createNumberedLogFile(L"C:\\t\\", create)) << "a concurrent run takes the next";

  auto allExist = [](const std::wstring&, bool overwrite) {
    return overwrite ? CreateResult::Created : CreateResult::Exists;
  };
  EXPECT_EQ(L"C:\\t\\lnx_nlog_1000.log", createNumberedLogFile(L"C:\\t\\", allExist));
  auto broken = [](const std::wstring&, bool) { return CreateResult::Failed; };
  EXPECT_EQ(L"", createNumberedLogFile(L"C:\\t\\", broken));
}

TEST(LogText, OnlyFirstPlaceholderIsReplaced) {
  EXPECT_EQ(L"a 7 b {0}", replacePlaceholder(L"a {0} b {0}", L"7"));
  EXPECT_EQ(L"no placeholder", replacePlaceholder(L"no placeholder", L"7"));
  EXPECT_EQ(L"{0}", replacePlaceholder(L"{0}", L"{0}"));
}

TEST(LogText, ErrorTextCarriesLogPath) {
  EXPECT_EQ(L"Bad\n\nLog: C:\\t\\lnx_nlog_1.log", composeErrorText(L"Bad", L"C:\\t\\lnx_nlog_1.log"));
  EXPECT_EQ(L"Bad", composeErrorText(L"Bad", L""));
}

} // namespace
} // namespace lnx
