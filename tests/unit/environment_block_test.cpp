#include "natives/environment_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lnx {
namespace {

using Entries = std::vector<std::u16string>;

TEST(EnvironmentBlock, EntriesInBlockOrderUpToTheEmptyOne) {
  std::u16string block(u"=C:=C:\\work\0PATH=C:\\bin;D:\\x\0A=\0B==b\0\0LATE=never\0\0", 50);
  EXPECT_EQ((Entries{u"=C:=C:\\work", u"PATH=C:\\bin;D:\\x", u"A=", u"B==b"}), environmentEntries(block.c_str()));
}

TEST(EnvironmentBlock, EmptyAndMissingBlocksHaveNoEntries) {
  EXPECT_EQ(Entries{}, environmentEntries(nullptr));
  EXPECT_EQ(Entries{}, environmentEntries(std::u16string(u"\0\0", 2).c_str()));
  EXPECT_EQ((Entries{u"\u4e2d=\U0001f600"}), environmentEntries(std::u16string(u"\u4e2d=\U0001f600\0\0", 6).c_str()));
}

} // namespace
} // namespace lnx
