#include "payload/crc32.h"

#include <array>
#include <cstring>

namespace lnx {

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the 4-byte loads below read little-endian words");

// Slicing by 16: tables[0] is the byte-wise table; tables[k][n] is the register that byte n
// leaves after k more zero bytes, so 16 independent look-ups advance the register by 16
// bytes at once instead of 16 dependent ones.
constexpr size_t kSlices = 16;
using Tables = std::array<std::array<uint32_t, 256>, kSlices>;

constexpr Tables makeTables() {
  Tables tables{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (size_t k = 1; k < kSlices; ++k)
    for (uint32_t n = 0; n < 256; ++n)
      tables[k][n] = tables[0][tables[k - 1][n] & 0xFF] ^ (tables[k - 1][n] >> 8);
  return tables;
}
constexpr Tables kTables = makeTables();

uint32_t byteStep(uint32_t reg, uint8_t byte) { return kTables[0][(reg ^ byte) & 0xFF] ^ (reg >> 8); }

uint32_t loadWord(const uint8_t* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The four bytes of word, the first of them followed by first + 3 more bytes of the block.
uint32_t sliceWord(uint32_t word, size_t first) {
  return kTables[first + 3][word & 0xFF] ^ kTables[first + 2][(word >> 8) & 0xFF] ^
         kTables[first + 1][(word >> 16) & 0xFF] ^ kTables[first][word >> 24];
}

} // namespace

uint32_t crc32Update(uint32_t reg, const uint8_t* data, size_t size) {
  // Byte-wise up to a 4-byte boundary, so that no load straddles a cache line.
  while (size > 0 && reinterpret_cast<uintptr_t>(data) % 4 != 0) {
    reg = byteStep(reg, *data++);
    --size;
  }
  for (; size >= kSlices; data += kSlices, size -= kSlices) {
    // The last twelve bytes do not depend on the register: their share is ready when it is.
    uint32_t later = sliceWord(loadWord(data + 12), 0);
    later ^= sliceWord(loadWord(data + 8), 4);
    later ^= sliceWord(loadWord(data + 4), 8);
    reg = sliceWord(loadWord(data) ^ reg, 12) ^ later;
  }
  for (; size >= 4; data += 4, size -= 4) reg = sliceWord(loadWord(data) ^ reg, 0);
  for (; size > 0; --size) reg = byteStep(reg, *data++);
  return reg;
}

} // namespace lnx
