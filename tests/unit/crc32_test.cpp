#include "payload/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace lnx {
namespace {

TEST(Crc32, EqualsZlibOnRandomBuffersOfManyLengths) {
  std::mt19937 random(20261208);
  for (size_t length : {0, 1, 2, 3, 7, 255, 256, 1000, 12000, 12001, 65537}) {
    std::vector<uint8_t> data(length);
    for (auto& b : data) b = static_cast<uint8_t>(random());
    uLong expected = ::crc32(::crc32(0L, Z_NULL, 0), data.data(), static_cast<uInt>(length));
    EXPECT_EQ(expected, lnx::crc32(data.data(), data.size())) << "length " << length;
  }
}

TEST(Crc32, ChunkedUpdateEqualsOneShot) {
  std::vector<uint8_t> data(30000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 31 + 7);
  uint32_t reg = kCrc32Initial;
  for (size_t at = 0; at < data.size(); at += 12000)
    reg = crc32Update(reg, data.data() + at, std::min<size_t>(12000, data.size() - at));
  EXPECT_EQ(lnx::crc32(data.data(), data.size()), crc32Finish(reg));
  EXPECT_EQ(0u, lnx::crc32(nullptr, 0)) << "an empty range is the complement of the initial value";
}

} // namespace
} // namespace lnx
