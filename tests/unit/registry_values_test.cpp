#include "natives/registry_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lnx {
namespace {

std::vector<uint8_t> bytesOf(const std::u16string& units) {
  std::vector<uint8_t> data;
  for (char16_t unit : units) {
    data.push_back(static_cast<uint8_t>(unit & 0xFF));
    data.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return data;
}

std::u16string textOf(const std::vector<uint8_t>& data) { return registryText(data.data(), data.size()); }

std::vector<std::u16string> textsOf(const std::u16string& units) {
  std::vector<uint8_t> data = bytesOf(units);
  return registryTexts(data.data(), data.size());
}

TEST(RegistryValues, StringDataLosesOnlyItsTerminator) {
  EXPECT_EQ(u"C:\\jre", textOf(bytesOf(std::u16string(u"C:\\jre\0", 7))));
  EXPECT_EQ(u"C:\\jre", textOf(bytesOf(u"C:\\jre"))) << "stored without terminator: the last character stays";
  EXPECT_EQ(std::u16string(u"a\0", 2), textOf(bytesOf(std::u16string(u"a\0\0", 3)))) << "one terminator only";
  EXPECT_EQ(u"\u00e9\u4e2d", textOf(bytesOf(u"\u00e9\u4e2d")));
  EXPECT_EQ(u"", textOf({}));
  EXPECT_EQ(u"", textOf({0, 0}));
  std::vector<uint8_t> odd = bytesOf(u"ab");
  odd.push_back('c');
  EXPECT_EQ(u"ab", textOf(odd)) << "an odd last byte is no unit";
}

TEST(RegistryValues, MultiStringDataKeepsEmptyInnerTexts) {
  using Texts = std::vector<std::u16string>;
  EXPECT_EQ((Texts{u"a", u"b"}), textsOf(std::u16string(u"a\0b\0\0", 5)));
  EXPECT_EQ((Texts{u"a", u"", u"b"}), textsOf(std::u16string(u"a\0\0b\0\0", 6)));
  EXPECT_EQ((Texts{u"one", u"two"}), textsOf(std::u16string(u"one\0two\0", 8))) << "one final NUL missing";
  EXPECT_EQ((Texts{u"ab"}), textsOf(u"abc")) << "no terminator at all: the last unit is left out";
  EXPECT_EQ(Texts{}, textsOf(std::u16string(u"\0", 1)));
  EXPECT_EQ(Texts{}, textsOf(u""));
  EXPECT_EQ((Texts{u""}), textsOf(std::u16string(u"\0\0", 2)));
}

TEST(RegistryValues, DwordIsLittleEndianAndSigned) {
  const uint8_t allOnes[] = {0xFF, 0xFF, 0xFF, 0xFF};
  const uint8_t number[] = {0x78, 0x56, 0x34, 0x12, 0x99};
  const uint8_t shortData[] = {0x05, 0x01};
  EXPECT_EQ(-1, registryDword(allOnes, 4));
  EXPECT_EQ(0x12345678, registryDword(number, 5));
  EXPECT_EQ(0x0105, registryDword(shortData, 2));
  EXPECT_EQ(0, registryDword(nullptr, 0));
}

TEST(RegistryValues, WrittenTextIsCutAndTerminated) {
  EXPECT_EQ(bytesOf(std::u16string(u"x\0", 2)), registryTextData(u"x"));
  EXPECT_EQ(bytesOf(std::u16string(u"\0", 1)), registryTextData(u""));
  std::vector<uint8_t> longest = registryTextData(std::u16string(60000, u'w'));
  ASSERT_EQ(kRegistryValueBufferBytes, longest.size()) << "49,999 units and the terminator fill the buffer";
  EXPECT_EQ(std::u16string(kRegistryStringUnitLimit, u'w'), textOf(longest));
}

TEST(RegistryValues, WrittenTextsRefuseEmptyEntriesAndOverflow) {
  EXPECT_EQ(bytesOf(std::u16string(u"a\0bc\0\0", 6)), registryTextsData({u"a", u"bc"}));
  EXPECT_EQ(bytesOf(std::u16string(u"\0", 1)), registryTextsData({})) << "an empty list is a single NUL";
  EXPECT_FALSE(registryTextsData({u"a", u"", u"c"}));
  // Each entry with its NUL, plus the final NUL, must stay within 50,000 units.
  std::u16string half(24998, u'h');
  EXPECT_TRUE(registryTextsData({half, half + u"h"}));
  EXPECT_FALSE(registryTextsData({half, half + u"hh"}));
  EXPECT_FALSE(registryTextsData({std::u16string(kRegistryMultiStringUnitLimit - 1, u'z')}));
  std::optional<std::vector<uint8_t>> largest = registryTextsData({std::u16string(49998, u'z')});
  ASSERT_TRUE(largest);
  EXPECT_EQ(kRegistryValueBufferBytes, largest->size());
}

} // namespace
} // namespace lnx
