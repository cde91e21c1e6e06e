#pragma once
// What the benchmark programs share: their buffers, the CRC-32 buffer sizes and the one
// line that sets the own routine against zlib's.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "payload/crc32.h"

namespace lnx::bench {

// The two CRC-32 routines compared, as one kind of function.
using CrcFunction = uint32_t (*)(const uint8_t* data, size_t size);
inline uint32_t zlibCrc32(const uint8_t* data, size_t size) {
  return static_cast<uint32_t>(::crc32(0, data, static_cast<uInt>(size)));
}
constexpr CrcFunction kOwnCrc32 = &lnx::crc32;

// 4 KB (the cache-resident case), 64 KB, 1 MB (beyond the first-level caches).
constexpr size_t kCrcSizes[] = {4096, 65536, 1048576};

inline std::vector<uint8_t> randomBytes(size_t size, uint32_t seed = 20261208) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One line per pair: both median rates (bytes per second) and the ratio, the goal's
// measure (by default the ratio of the medians).
inline void printRatio(const char* what, const std::string& size, double ownRate, double referenceRate,
                       double ratio = 0) {
  std::printf("%-22s %8s: %6.2f GB/s against %6.2f GB/s, ratio %.2f\n", what, size.c_str(), ownRate / 1e9,
              referenceRate / 1e9, ratio ? ratio : ownRate / referenceRate);
}

} // namespace lnx::bench
