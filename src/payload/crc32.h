#pragma once
// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320), the function zlib calls crc32.
#include <cstddef>
#include <cstdint>

namespace lnx {

constexpr uint32_t kCrc32Initial = 0xFFFFFFFFu;
// Byte-wise table update of a running register; start with kCrc32Initial and complement
// the final register (crc32Finish).
uint32_t crc32Update(uint32_t reg, const uint8_t* data, size_t size);
inline uint32_t crc32Finish(uint32_t reg) { return reg ^ 0xFFFFFFFFu; }
inline uint32_t crc32(const uint8_t* data, size_t size) {
  return crc32Finish(crc32Update(kCrc32Initial, data, size));
}

} // namespace lnx
