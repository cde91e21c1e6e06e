#include "payload/file_mask.h"

#include <cstring>

#include "payload/payload_format.h"

namespace lnx {

void applyFileMask(uint8_t* data, size_t size) {
  constexpr uint64_t kWideMask = 0x0101010101010101ull * payload::kFileMask;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    word ^= kWideMask;
    std::memcpy(data + i, &word, 8);
  }
  for (; i < size; ++i) data[i] ^= payload::kFileMask;
}

} // namespace lnx
