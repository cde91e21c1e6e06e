#include "payload/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace lnx {
namespace {

uint32_t zlibCrc(const uint8_t* data, size_t size) {
  return static_cast<uint32_t>(::crc32(0L, data, static_cast<uInt>(size)));
}

std::vector<uint8_t> randomBytes(size_t size, std::mt19937& random) {
  std::vector<uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

// Every length up to 300 from every start within 16 bytes walks each path of the update:
// the bytes before a word boundary, the 16-byte blocks, the words and bytes after them.
TEST(Crc32, EqualsZlibForEveryShortLengthAndStart) {
  std::mt19937 random(20261208);
  std::vector<uint8_t> data = randomBytes(16 + 300, random);
  for (size_t start = 0; start < 16; ++start)
    for (size_t length = 0; length <= 300; ++length)
      ASSERT_EQ(zlibCrc(data.data() + start, length), lnx::crc32(data.data() + start, length))
          << "start " << start << ", length " << length;
}

TEST(Crc32, EqualsZlibOnLargeBuffers) {
  std::mt19937 random(7);
  std::vector<uint8_t> data = randomBytes((1 << 20) + 64, random);
  for (size_t start : {0, 1, 5, 15})
    for (size_t length : {65537, 1 << 20, (1 << 20) + 13})
      EXPECT_EQ(zlibCrc(data.data() + start, length), lnx::crc32(data.data() + start, length))
          << "start " << start << ", length " << length;
}

TEST(Crc32, RunningRegisterAcrossPiecesOfRandomSizes) {
  std::mt19937 random(42);
  std::vector<uint8_t> data = randomBytes(400000, random);
  uint32_t reg = kCrc32Initial;
  for (size_t at = 0; at < data.size();) {
    size_t piece = std::min<size_t>(data.size() - at, random() % 8 == 0 ? random() % 40000 : random() % 40);
    reg = crc32Update(reg, data.data() + at, piece);
    at += piece;
  }
  EXPECT_EQ(zlibCrc(data.data(), data.size()), crc32Finish(reg));
  EXPECT_EQ(0u, lnx::crc32(nullptr, 0)) << "an empty range is the complement of the initial value";
}

} // namespace
} // namespace lnx
