#include <gtest/gtest.h>

#include "runtime/runtime_choice_text.h"

namespace lnx {
namespace {

TEST(RuntimeChoiceText, BoundsFollowTheMessageInParentheses) {
  const std::wstring message = L"Please locate a suitable %S-bit JRE.";
  EXPECT_EQ(L"Please locate a suitable 32-bit JRE. (minimum version: 1.7, maximum version: 1.8)",
            runtimeChoiceExplanation(message, L"minimum version:", "1.7", L"maximum version:", "1.8"));
  EXPECT_EQ(L"Please locate a suitable 32-bit JRE. (maximum version: 1.8)",
            runtimeChoiceExplanation(message, L"minimum version:", "", L"maximum version:", "1.8"));
  EXPECT_EQ(L"Please locate a suitable 32-bit JRE.", runtimeChoiceExplanation(message, L"min", "", L"max", ""));
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
