#include "payload/file_mask.h"

#include <gtest/gtest.h>

#include <vector>

namespace lnx {
namespace {

// Every length up to 40 from every start within a word: each byte in the range flips with
// 0xA7 (the stored 0xA7 of a zero byte and back), the guard bytes around it stay.
TEST(FileMask, FlipsExactlyTheRange) {
  std::vector<uint8_t> original(8 + 40 + 8);
  for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>(i * 37);
  for (size_t start = 0; start < 8; ++start)
    for (size_t length = 0; length <= 40; ++length) {
      std::vector<uint8_t> bytes = original;
      applyFileMask(bytes.data() + start, length);
      for (size_t i = 0; i < bytes.size(); ++i) {
        bool inside = i >= start && i < start + length;
        ASSERT_EQ(inside ? original[i] ^ 0xA7 : original[i], bytes[i])
            << "byte " << i << " of start " << start << ", length " << length;
      }
    }
}

} // namespace
} // namespace lnx
