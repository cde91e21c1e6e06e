#include <gtest/gtest.h>

#include "runtime/launcher_width.h"
#include "runtime/runtime_choice_text.h"

namespace lnx {
namespace {

TEST(RuntimeChoiceText, BoundsFollowTheMessageInParentheses) {
  const std::wstring message = L"Please locate a suitable %S-bit JRE.";
  EXPECT_EQ(L"Please locate a suitable 32-bit JRE. (minimum version: 1.7, maximum version: 1.8)",
            runtimeChoiceExplanation(message, "32", L"minimum version:", "1.7", L"maximum version:", "1.8"));
  EXPECT_EQ(L"Please locate a suitable 32-bit JRE. (maximum version: 1.8)",
            runtimeChoiceExplanation(message, "32", L"minimum version:", "", L"maximum version:", "1.8"));
  EXPECT_EQ(L"Please locate a suitable 32-bit JRE.", runtimeChoiceExplanation(message, "32", L"min", "", L"max", ""));
}

// Each launcher names its own width in the choice dialog and in the error boxes that ask
// for a runtime: a 64-bit launcher asking for a "32-bit JRE" would send users to one it
// cannot load.
TEST(LauncherWidth, EachWidthNamesItselfAndPicksItsOwnMessages) {
  constexpr LauncherWidth narrow = launcherWidthFor(4);
  constexpr LauncherWidth wide = launcherWidthFor(8);
  EXPECT_EQ(32, narrow.bits);
  EXPECT_STREQ("32", narrow.bitsText);
  EXPECT_EQ(1017, narrow.variableMessage);
  EXPECT_EQ(1019, narrow.damagedRuntimeMessage);
  EXPECT_EQ(64, wide.bits);
  EXPECT_STREQ("64", wide.bitsText);
  EXPECT_EQ(1018, wide.variableMessage);
  EXPECT_EQ(1020, wide.damagedRuntimeMessage);
  EXPECT_EQ(L"You can locate or download a suitable 64-bit JRE.",
            runtimeChoiceExplanation(L"You can locate or download a suitable %S-bit JRE.", wide.bitsText, L"min", "",
                                     L"max", ""));
}

TEST(RuntimeChoiceText, DownloadProgressLineAndPosition) {
  const std::wstring format = L"%.2f MB of %.2f MB (%.1f%%) at %.1f kb/s";
  EXPECT_EQ(L"1.50 MB of 6.00 MB (25.0%) at 786.4 kb/s", downloadProgressText(format, 1572864, 6291456, 2000));
  EXPECT_EQ(25, downloadProgressPosition(1572864, 6291456));
  EXPECT_EQ(0, downloadProgressPosition(0, 0)) << "an empty download divides by nothing";
  EXPECT_EQ(L"0.00 MB of 0.00 MB (0.0%) at 0.0 kb/s", downloadProgressText(format, 0, 0, 0));
  EXPECT_EQ(99, downloadProgressPosition(4294967294u, 4294967295u)) << "no 32-bit overflow in the product";
}

} // namespace
} // namespace lnx
