// The runtime archive's tar reader over an in-memory gzip stream (the builder's archive
// check: inflating as the reader asks, entries discarded), against inflating the same
// stream alone, and over the already inflated bytes (the reader's own share).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bench_buffers.h"
#include "lnxpack/runtime_archive.h"
#include "memory_tar_target.h"
#include "ratio_reporter.h"

namespace lnx::bench {
namespace {

namespace fs = std::filesystem;

// A runtime-like archive packed by the builder: 300 files of 1 to 128 KB, half random
// (compressed jars), half repetitive (text).
pack::RuntimeArchive makeArchive() {
  fs::path directory = fs::temp_directory_path() / ("lnx_bench_tar_" + std::to_string(getpid()));
  fs::create_directories(directory / "lib");
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    size_t size = 1024 + random() % (127 * 1024);
    std::vector<uint8_t> data = i % 2 ? randomBytes(size, static_cast<uint32_t>(i))
                                      : std::vector<uint8_t>(size, static_cast<uint8_t>('a' + i % 26));
    std::ofstream(directory / "lib" / ("file" + std::to_string(i) + ".bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(size));
  }
  pack::RuntimeArchive archive = pack::packRuntimeDirectory(directory);
  fs::remove_all(directory);
  return archive;
}

const pack::RuntimeArchive& archive() {
  static const pack::RuntimeArchive packed = makeArchive();
  return packed;
}

// The whole tar stream, inflated in one call.
std::string inflateAll(const std::vector<uint8_t>& gzip, uint64_t tarSize) {
  std::string tar(tarSize, '\0');
  z_stream stream{};
  inflateInit2(&stream, 16 + MAX_WBITS);
  stream.next_in = const_cast<Bytef*>(gzip.data());
  stream.avail_in = static_cast<uInt>(gzip.size());
  stream.next_out = reinterpret_cast<Bytef*>(&tar[0]);
  stream.avail_out = static_cast<uInt>(tar.size());
  int status = inflate(&stream, Z_FINISH);
  inflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("the archive does not inflate");
  return tar;
}

void untarGzipRate(benchmark::State& state) {
  for (auto _ : state)
    if (!pack::checkRuntimeArchive(archive().gzip).extractsCleanly) state.SkipWithError("untar failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * archive().tarSize));
}

void untarInflatedRate(benchmark::State& state) {
  const std::string tar = inflateAll(archive().gzip, archive().tarSize);
  for (auto _ : state) {
    test::MemoryGzipInput input(tar);
    test::MemoryTarTarget target;
    if (!untarStream(input, target, static_cast<int64_t>(tar.size()))) state.SkipWithError("untar failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * archive().tarSize));
}

void inflateRate(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(inflateAll(archive().gzip, archive().tarSize));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * archive().tarSize));
}

BENCHMARK(untarGzipRate)->Unit(benchmark::kMillisecond);
BENCHMARK(untarInflatedRate)->Unit(benchmark::kMillisecond);
BENCHMARK(inflateRate)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace lnx::bench

int main(int argc, char** argv) {
  return lnx::bench::runWithRatios(argc, argv, {{"untar gzip / inflate", "untarGzipRate", "inflateRate"}});
}
