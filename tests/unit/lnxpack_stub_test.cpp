// The builder's view of the launcher stub: where the payload starts and what may be dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lnxpack/pe_image.h"
#include "lnxpack/tool_error.h"

namespace lnx::pack {
namespace {

constexpr uint32_t kPeOffset = 0x40, kOptionalHeaderSize = 0xE0;

void put32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get32(const std::vector<uint8_t>& image, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t{image[at + i]} << (8 * i);
  return value;
}

// An MZ/PE image whose sections (raw offset, raw size) are listed in table order; the file
// ends where the furthest section's raw data ends.
std::vector<uint8_t> syntheticPe(const std::vector<std::pair<uint32_t, uint32_t>>& sections) {
  uint32_t end = 0x200;
  for (const auto& [offset, size] : sections) end = std::max(end, offset + size);
  std::vector<uint8_t> image(end, 0xCC);
  std::fill(image.begin(), image.begin() + 0x200, 0);
  image[0] = 'M';
  image[1] = 'Z';
  put32(image, 60, kPeOffset);
  put32(image, kPeOffset, 0x00004550);
  image[kPeOffset + 4] = 0x4C; // i386
  image[kPeOffset + 5] = 0x01;
  image[kPeOffset + 6] = static_cast<uint8_t>(sections.size());
  image[kPeOffset + 20] = static_cast<uint8_t>(kOptionalHeaderSize);
  image[kPeOffset + 24] = 0x0B; // PE32
  image[kPeOffset + 25] = 0x01;
  size_t table = kPeOffset + 24 + kOptionalHeaderSize;
  for (size_t i = 0; i < sections.size(); ++i) {
    put32(image, table + 40 * i + 16, sections[i].second);
    put32(image, table + 40 * i + 20, sections[i].first);
  }
  return image;
}

// Appends symbolCount COFF symbols and a string table holding stringBytes after its size field.
void appendCoffTables(std::vector<uint8_t>& image, uint32_t symbolCount, uint32_t stringBytes) {
  put32(image, kPeOffset + 12, static_cast<uint32_t>(image.size()));
  put32(image, kPeOffset + 16, symbolCount);
  image.resize(image.size() + 18 * symbolCount, 0x11);
  size_t sizeField = image.size();
  image.resize(sizeField + 4 + stringBytes, 'x');
  put32(image, sizeField, 4 + stringBytes);
}

std::string refusal(std::vector<uint8_t> image) {
  try {
    prepareStub(std::move(image), "stub.exe");
  } catch (const ToolError& error) {
    EXPECT_EQ(error.file, "stub.exe");
    return error.problem;
  }
  return "accepted";
}

const std::vector<std::pair<uint32_t, uint32_t>> kThreeSections = {
    {0x200, 0x400}, {0x600, 0x200}, {0x800, 0x200}};

TEST(LnxpackStub, PayloadStartsAfterTheLastSectionsRawData) {
  std::vector<uint8_t> image = syntheticPe(kThreeSections);
  PeLayout layout = readPeLayout(image, "stub.exe");
  EXPECT_EQ(layout.sections.size(), 3u);
  EXPECT_EQ(layout.payloadStart(), 0xA00u);

  PreparedStub stub = prepareStub(image, "stub.exe");
  EXPECT_EQ(stub.bytes, image);
  EXPECT_EQ(stub.droppedBytes, 0u);
}

TEST(LnxpackStub, DropsTrailingCoffTablesAndClearsTheirHeaderFields) {
  // A stripped MinGW image keeps only a string table (no symbols); an unstripped one both.
  for (uint32_t symbolCount : {0u, 3u}) {
    std::vector<uint8_t> original = syntheticPe(kThreeSections);
    std::vector<uint8_t> image = original;
    appendCoffTables(image, symbolCount, 10);
    PreparedStub stub = prepareStub(image, "stub.exe");
    EXPECT_EQ(stub.droppedBytes, 18 * symbolCount + 14);
    ASSERT_EQ(stub.bytes.size(), 0xA00u);
    EXPECT_EQ(get32(stub.bytes, kPeOffset + 12), 0u);
    EXPECT_EQ(get32(stub.bytes, kPeOffset + 16), 0u);
    EXPECT_EQ(stub.bytes, original); // nothing else changed
  }
}

TEST(LnxpackStub, RefusesTrailingDataThatIsNotCoffTables) {
  std::vector<uint8_t> junk = syntheticPe(kThreeSections);
  junk.resize(junk.size() + 16, 0x5A); // e.g. a payload appended earlier
  EXPECT_NE(refusal(junk).find("16 bytes follow the last section"), std::string::npos);

  std::vector<uint8_t> wrongSize = syntheticPe(kThreeSections);
  appendCoffTables(wrongSize, 2, 10);
  wrongSize.push_back(0); // the string table's size no longer reaches the end
  EXPECT_NE(refusal(wrongSize).find("no COFF symbol or string table"), std::string::npos);

  std::vector<uint8_t> elsewhere = syntheticPe(kThreeSections);
  appendCoffTables(elsewhere, 0, 10);
  put32(elsewhere, kPeOffset + 12, 0x900); // the pointer does not name the trailing bytes
  EXPECT_NE(refusal(elsewhere).find("no COFF symbol or string table"), std::string::npos);
}

TEST(LnxpackStub, RefusesALastSectionHeaderWhoseDataDoesNotEndLast) {
  // A trailing .bss-like header (no raw data) and a table out of file order.
  for (const auto& sections :
       {std::vector<std::pair<uint32_t, uint32_t>>{{0x200, 0x400}, {0x600, 0x200}, {0, 0}},
        std::vector<std::pair<uint32_t, uint32_t>>{{0x600, 0x200}, {0x200, 0x400}}}) {
    EXPECT_NE(refusal(syntheticPe(sections)).find("is not the section whose raw data ends last"),
              std::string::npos);
  }
}

TEST(LnxpackStub, RefusesImagesThatAreNoUsablePe) {
  std::vector<uint8_t> noMz = syntheticPe(kThreeSections);
  noMz[0] = 'X';
  EXPECT_NE(refusal(noMz).find("no MZ header"), std::string::npos);

  std::vector<uint8_t> noSignature = syntheticPe(kThreeSections);
  noSignature[kPeOffset + 1] = 'X';
  EXPECT_NE(refusal(noSignature).find("signature"), std::string::npos);

  std::vector<uint8_t> tableCut = syntheticPe(kThreeSections);
  tableCut.resize(kPeOffset + 24 + kOptionalHeaderSize + 40 * 2);
  EXPECT_NE(refusal(tableCut).find("section table runs past the end"), std::string::npos);

  std::vector<uint8_t> cutInsideSection = syntheticPe(kThreeSections);
  cutInsideSection.resize(0x900);
  EXPECT_NE(refusal(cutInsideSection).find("beyond the end of the file"), std::string::npos);

  EXPECT_NE(refusal(syntheticPe({})).find("without sections"), std::string::npos);
}

} // namespace
} // namespace lnx::pack
