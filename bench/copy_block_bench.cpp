// The launcher's copy loop (copyBlock) from memory to memory, with and without the file
// mask: what unmasking adds to a copy.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_buffers.h"
#include "payload/included_files.h"
#include "ratio_reporter.h"

namespace lnx::bench {
namespace {

// A target file that takes every byte at once, as a write into the cache does.
class BufferSink : public ByteSink {
public:
  explicit BufferSink(size_t size) : bytes_(size) {}
  void rewind() { at_ = 0; }
  bool write(const uint8_t* data, uint32_t count, uint32_t& written, uint32_t&) override {
    std::memcpy(bytes_.data() + at_, data, count);
    at_ += count;
    written = count;
    return true;
  }

private:
  std::vector<uint8_t> bytes_;
  size_t at_ = 0;
};

void copyRate(benchmark::State& state, bool unscramble) {
  std::vector<uint8_t> stored = randomBytes(static_cast<size_t>(state.range(0)));
  MemoryByteSource source(stored);
  BufferSink sink(stored.size());
  for (auto _ : state) {
    source.seek(0);
    sink.rewind();
    benchmark::DoNotOptimize(copyBlock(source, sink, static_cast<int64_t>(stored.size()), unscramble));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stored.size()));
}

BENCHMARK_CAPTURE(copyRate, unmasked, true)->Arg(1 << 20);
BENCHMARK_CAPTURE(copyRate, plain, false)->Arg(1 << 20);

} // namespace
} // namespace lnx::bench

int main(int argc, char** argv) {
  return lnx::bench::runWithRatios(argc, argv, {{"copy unmasked / plain", "copyRate/unmasked", "copyRate/plain"}});
}
