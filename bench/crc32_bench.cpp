// The program's own CRC-32 against zlib's crc32, over the same buffers.
#include <benchmark/benchmark.h>

#include "bench_buffers.h"
#include "ratio_reporter.h"

namespace lnx::bench {
namespace {

void crcRate(benchmark::State& state, CrcFunction crc) {
  std::vector<uint8_t> data = randomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(crc(data.data(), data.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void crcSizes(benchmark::internal::Benchmark* b) {
  for (size_t size : kCrcSizes) b->Arg(static_cast<int64_t>(size));
}

BENCHMARK_CAPTURE(crcRate, own, kOwnCrc32)->Apply(crcSizes);
BENCHMARK_CAPTURE(crcRate, zlib, &zlibCrc32)->Apply(crcSizes);

} // namespace
} // namespace lnx::bench

int main(int argc, char** argv) {
  return lnx::bench::runWithRatios(argc, argv, {{"crc32 own / zlib", "crcRate/own", "crcRate/zlib"}});
}
