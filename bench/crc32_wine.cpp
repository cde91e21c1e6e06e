// The program's own CRC-32 against MinGW's zlib crc32 in the launcher's build, run under
// Wine: timed passes with QueryPerformanceCounter, the two alternating; the ratio is the
// median of the ratios of neighbouring passes, which share the machine's load of the moment.
//   wine lnx_bench_crc32_wine.exe [repetitions]      (default 15)
#include <windows.h>

#include <cstdlib>

#include "bench_buffers.h"

namespace lnx::bench {
namespace {

volatile uint32_t keptResult; // the calls' results go somewhere, so they are made

// Bytes per second of one pass: as many calls over data as make about 16 MB.
double passRate(CrcFunction crc, const std::vector<uint8_t>& data) {
  uint32_t fold = 0;
  const size_t calls = std::max<size_t>(1, (16u << 20) / data.size());
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (size_t i = 0; i < calls; ++i) fold ^= crc(data.data(), data.size());
  QueryPerformanceCounter(&end);
  keptResult = fold;
  return static_cast<double>(calls * data.size()) * static_cast<double>(frequency.QuadPart) /
         static_cast<double>(end.QuadPart - start.QuadPart);
}

} // namespace
} // namespace lnx::bench

int main(int argc, char** argv) {
  using namespace lnx::bench;
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  for (size_t size : kCrcSizes) {
    std::vector<uint8_t> data = randomBytes(size);
    if (kOwnCrc32(data.data(), size) != zlibCrc32(data.data(), size)) {
      std::printf("the own CRC-32 of %zu bytes differs from zlib's\n", size);
      return 1;
    }
    std::vector<double> own, zlib, ratios;
    for (int r = 0; r < repetitions; ++r) {
      own.push_back(passRate(kOwnCrc32, data));
      zlib.push_back(passRate(&zlibCrc32, data));
      ratios.push_back(own.back() / zlib.back());
    }
    printRatio("crc32 own / zlib", std::to_string(size), median(own), median(zlib), median(ratios));
  }
  return 0;
}
