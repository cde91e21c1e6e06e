#include "natives/handle_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace lnx {
namespace {

void appendLittleEndian(std::vector<uint8_t>& data, uint64_t value, size_t bytes) {
  for (size_t index = 0; index < bytes; ++index)
    data.push_back(static_cast<uint8_t>(value >> (8 * index)));
}

// The table as the system writes it for a process of the given pointer width: a ULONG
// count, the entries aligned to the pointer width, each padded to it.
std::vector<uint8_t> tableData(size_t pointerBytes, uint32_t count, const std::vector<SystemHandleEntry>& entries) {
  std::vector<uint8_t> data;
  appendLittleEndian(data, count, pointerBytes);
  for (const SystemHandleEntry& entry : entries) {
    appendLittleEndian(data, entry.processId, 4);
    data.push_back(entry.objectType);
    data.push_back(entry.flags);
    appendLittleEndian(data, entry.handleValue, 2);
    appendLittleEndian(data, entry.objectAddress, pointerBytes);
    appendLittleEndian(data, entry.grantedAccess, 4);
    if (pointerBytes == 8) appendLittleEndian(data, 0xDDDDDDDD, 4); // padding
  }
  return data;
}

bool sameEntry(const SystemHandleEntry& left, const SystemHandleEntry& right) {
  return left.processId == right.processId && left.objectType == right.objectType && left.flags == right.flags &&
         left.handleValue == right.handleValue && left.objectAddress == right.objectAddress &&
         left.grantedAccess == right.grantedAccess;
}

TEST(HandleTable, EntriesAreReadFieldByFieldInTableOrder) {
  const std::vector<SystemHandleEntry> written = {{212, 17, 2, 0x0038, 0x81234560, 0x00120196},
                                                  {0x12345678, 0xFF, 0x80, 0xFFFC, 0xFFFFFFFF, 0x0012019F}};
  std::vector<uint8_t> data = tableData(4, 2, written);
  data.resize(data.size() + 40); // room the query did not fill
  std::vector<SystemHandleEntry> read = systemHandleEntries(data.data(), data.size(), 4);
  ASSERT_EQ(2u, read.size());
  EXPECT_TRUE(sameEntry(written[0], read[0]));
  EXPECT_TRUE(sameEntry(written[1], read[1]));
}

// A 64-bit process reads 24-byte entries from offset 8: read with the 32-bit layout, the
// second entry's process id would be the first one's access mask.
TEST(HandleTable, A64BitProcessReadsTheWideLayout) {
  const std::vector<SystemHandleEntry> written = {{212, 37, 2, 0x0038, 0xFFFF9A0123456780ull, 0x00120196},
                                                  {0x1234, 0xFF, 0x80, 0xFFFC, 0x10, 0x0012019F}};
  std::vector<uint8_t> data = tableData(8, 2, written);
  ASSERT_EQ(8u + 2 * 24, data.size());
  std::vector<SystemHandleEntry> read = systemHandleEntries(data.data(), data.size(), 8);
  ASSERT_EQ(2u, read.size());
  EXPECT_TRUE(sameEntry(written[0], read[0]));
  EXPECT_TRUE(sameEntry(written[1], read[1]));
  data.pop_back();
  EXPECT_EQ(1u, systemHandleEntries(data.data(), data.size(), 8).size()) << "the second entry is cut short";
  EXPECT_TRUE(systemHandleEntries(data.data(), 7, 8).empty()) << "not even the count's slot";
}

TEST(HandleTable, ACountBeyondTheDataGivesOnlyWholeEntries) {
  std::vector<uint8_t> data = tableData(4, 1000, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
  data.pop_back(); // the second entry is cut short
  std::vector<SystemHandleEntry> read = systemHandleEntries(data.data(), data.size(), 4);
  ASSERT_EQ(1u, read.size());
  EXPECT_EQ(4u, read[0].handleValue);
  EXPECT_TRUE(systemHandleEntries(data.data(), 3, 4).empty()) << "not even the count";
  EXPECT_TRUE(systemHandleEntries(nullptr, 0, 4).empty());
}

TEST(HandleTable, OnlyTheExactTypeNameFileIsAFile) {
  EXPECT_TRUE(isFileTypeName(u"File", 8));
  EXPECT_TRUE(isFileTypeName(u"FileX", 8)) << "the counted length decides, not a terminator";
  EXPECT_FALSE(isFileTypeName(u"FileX", 10));
  EXPECT_FALSE(isFileTypeName(u"file", 8));
  EXPECT_FALSE(isFileTypeName(u"Fil", 6));
  EXPECT_FALSE(isFileTypeName(u"Key", 6));
  EXPECT_FALSE(isFileTypeName(nullptr, 8));
}

} // namespace
} // namespace lnx
