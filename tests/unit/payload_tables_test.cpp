#include "payload/tables.h"

#include <gtest/gtest.h>

#include "payload/byte_source.h"
#include "test_payload.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

PayloadTables read(const std::vector<uint8_t>& bytes, const std::string& locale = "en_US") {
  MemoryByteSource source(bytes);
  RecordReader reader(source);
  return readTables(reader, [&] { return locale; });
}

std::wstring readFailure(const std::vector<uint8_t>& bytes) {
  try {
    read(bytes);
  } catch (const PayloadReadError& error) {
    return error.text;
  }
  return L"(no failure)";
}

TEST(PayloadTables, LaterDuplicateIdWins) {
  test::TestPayload payload;
  payload.config = {{122, "first"}, {107, "5"}, {122, "second"}};
  payload.messages = {{1000, L"Error"}, {1000, L"Fehler"}};
  PayloadTables tables = read(payload.bytes());
  EXPECT_EQ("second", tables.configValues.at(122));
  EXPECT_EQ(L"Fehler", tables.messages.at(1000));
  EXPECT_EQ(payload.bytes().size(), tables.tablesEnd);
}

TEST(PayloadTables, LocalisedSetsApplyByPrefixInFileOrder) {
  test::TestPayload payload;
  payload.messages = {{20013, L"Wizard"}, {20016, L"Corrupted"}, {20018, L"Disk"}};
  payload.sets = {{"zh", {{20013, L"zh wizard"}, {20016, L"zh corrupted"}}},
                  {"zh_CN", {{20016, L"zh_CN corrupted"}}},
                  {"zh_TW", {{20018, L"tw disk"}}},
                  {"", {{20018, L"any disk"}}}};
  PayloadTables tables = read(payload.bytes(), "zh_CN");
  EXPECT_EQ(L"zh wizard", tables.messages.at(20013));
  EXPECT_EQ(L"zh_CN corrupted", tables.messages.at(20016));
  EXPECT_EQ(L"any disk", tables.messages.at(20018)) << "an empty set name always applies";
  ASSERT_EQ(4u, tables.localisedSets.size());
  EXPECT_EQ("zh_TW", tables.localisedSets[2].locale);

  PayloadTables plainZh = read(payload.bytes(), "zh");
  EXPECT_EQ(L"zh corrupted", plainZh.messages.at(20016)) << "a set zh_CN does not apply to zh";
}

TEST(PayloadTables, UnicodeMessagesSurviveTheRoundTrip) {
  test::TestPayload payload;
  payload.messages = {{20016, L"\u5b89\u88c5\u6587\u4ef6\u5df2\u635f\u574f \U0001F600"}};
  EXPECT_EQ(payload.messages[0].second, read(payload.bytes()).messages.at(20016));
}

TEST(PayloadTables, WrongMagicAndTruncationFailWithTheReadersText) {
  test::TestPayload payload;
  payload.config = {{107, "5"}};
  payload.messages = {{1000, L"Error"}};
  payload.sets = {{"de", {{1000, L"Fehler"}}}};
  test::TestPayload wrongMagic = payload;
  wrongMagic.magic = 0x12345678;
  EXPECT_EQ(L"Internal Error: magic", readFailure(wrongMagic.bytes()));

  std::vector<uint8_t> full = payload.bytes();
  auto cut = [&](size_t size) { return std::vector<uint8_t>(full.begin(), full.begin() + size); };
  EXPECT_EQ(L"Internal Error: readInt", readFailure(cut(2)));
  EXPECT_EQ(L"Internal Error: readLong", readFailure(cut(15)));
  EXPECT_EQ(L"Internal Error: readInt", readFailure(cut(22)));
  EXPECT_EQ(L"Internal Error: readString", readFailure(cut(32))) << "inside the value of 107";
  EXPECT_EQ(L"Internal Error: readWString", readFailure(cut(48))) << "inside the text of 1000";
  EXPECT_EQ(L"Internal Error: readString", readFailure(cut(64))) << "inside the set name";
}

TEST(PayloadTables, HostileLengthsAreReadFailures) {
  auto withLength = [](int32_t length, bool wide) {
    RecordWriter w;
    w.writeInt(static_cast<int32_t>(payload::kMagic));
    w.writeInt(0);
    w.writeInt(0);
    w.writeLong(0);
    w.writeInt(wide ? 0 : 1);
    if (wide) w.writeInt(1);
    w.writeInt(42);
    w.writeInt(length);
    for (int i = 0; i < 8; ++i) w.writeInt(0);
    return w.bytes();
  };
  EXPECT_EQ(L"Internal Error: readString", readFailure(withLength(-1, false)));
  EXPECT_EQ(L"Internal Error: readString", readFailure(withLength(0x7FFFFFFF, false)));
  EXPECT_EQ(L"Internal Error: readWString", readFailure(withLength(-2, true)));
  EXPECT_EQ(L"Internal Error: readWString", readFailure(withLength(3, true)));
  EXPECT_EQ(L"Internal Error: readWString", readFailure(withLength(0x40000000, true)));
}

TEST(PayloadTables, ZeroLengthStringsAreEmpty) {
  test::TestPayload payload;
  payload.config = {{121, ""}};
  payload.messages = {{1006, L""}};
  PayloadTables tables = read(payload.bytes());
  EXPECT_EQ("", tables.configValues.at(121));
  EXPECT_EQ(L"", tables.messages.at(1006));
}

TEST(PayloadStart, FoundAfterTheLastSectionAndLogged) {
  std::vector<uint8_t> image = test::minimalPeImage(3);
  size_t imageSize = image.size();
  std::vector<uint8_t> payload = test::TestPayload{}.bytes();
  image.insert(image.end(), payload.begin(), payload.end());
  MemoryByteSource source(image);
  RecordReader reader(source);
  test::LogCapture log;
  EXPECT_EQ(imageSize, seekPayloadStart(reader));
  EXPECT_EQ(imageSize, reader.position());
  EXPECT_TRUE(log.contains(L"number of sections: 3"));
  EXPECT_TRUE(log.contains(L"size of optional headers: 224"));
  EXPECT_TRUE(log.contains(L"rawDataSize: 512, rawDataOffset: 1536"));
  EXPECT_NO_THROW(readTables(reader, [] { return std::string("en"); }));
}

class ConfigLookups : public ::testing::Test {
protected:
  void SetUp() override {
    PayloadTables tables;
    tables.configValues = {{1, "0x10"}, {2, " 12abc"}, {3, "-7"}, {4, "abc"}, {5, "+3"}, {6, "99999999999"},
                           {2001, "i-family"}, {1000, "config caption"}};
    tables.messages = {{1009, L"An internal error occurred (error code: {0})"}, {1000, L""}};
    installTables(std::move(tables));
  }
  void TearDown() override { installTables(PayloadTables{}); }
};

TEST_F(ConfigLookups, IntegersFollowAtoiRules) {
  EXPECT_EQ(0, getConfigInt(1));
  EXPECT_EQ(12, getConfigInt(2));
  EXPECT_EQ(-7, getConfigInt(3));
  EXPECT_EQ(0, getConfigInt(4));
  EXPECT_EQ(3, getConfigInt(5));
  EXPECT_EQ(2147483647, getConfigInt(6)) << "out of range saturates instead of overflowing";
  EXPECT_EQ(0, getConfigInt(777)) << "absent id";
}

TEST_F(ConfigLookups, ShortBufferTruncatesAndLogs) {
  test::LogCapture log;
  EXPECT_EQ("i", getConfigString(2001, 2));
  EXPECT_TRUE(log.contains(L"ERROR: config string 2001 truncated (2 8)"));
  EXPECT_EQ("i-family", getConfigString(2001, 9));
  EXPECT_EQ(1u, log.captured().size());
  EXPECT_EQ("", getConfigString(777, 10));
  EXPECT_EQ(L"i-f", getConfigWString(2001, 4));
}

TEST_F(ConfigLookups, MessagesFallBackToConfigWhenEmpty) {
  EXPECT_EQ(L"config caption", getMessageOrConfig(1000));
  EXPECT_EQ(L"An internal error occurred (error code: {0})", getMessageOrConfig(1009));
  EXPECT_EQ(L"", getMessage(4242));
  EXPECT_EQ("", getConfigCopy(4242));
}

} // namespace
} // namespace lnx
