#include "natives/file_version_rules.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

TEST(FileVersionRules, MostSignificantHalfDecidesBeforeTheLeastSignificant) {
  const FileVersionNumber v1_2_65535_65535{0x00010002, 0xFFFFFFFF};
  const FileVersionNumber v1_10_0_0{0x0001000A, 0};
  EXPECT_EQ(kSecondVersionHigher, compareVersionNumbers(v1_2_65535_65535, v1_10_0_0));
  EXPECT_EQ(kFirstVersionHigher, compareVersionNumbers(v1_10_0_0, v1_2_65535_65535));
  EXPECT_EQ(kSecondVersionHigher, compareVersionNumbers({0x00010002, 0x00030004}, {0x00010002, 0x00030005}));
  EXPECT_EQ(kVersionsEqual, compareVersionNumbers(v1_10_0_0, v1_10_0_0));
}

TEST(FileVersionRules, HalvesCompareUnsigned) {
  EXPECT_EQ(kFirstVersionHigher, compareVersionNumbers({0x80000000, 0}, {0x7FFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(kSecondVersionHigher, compareVersionNumbers({5, 1}, {5, 0x80000000}));
}

} // namespace
} // namespace lnx
