// The pipe's data blocks read from a stream that delivers pieces of the input's chosen
// size: a block that arrives whole is written back as exactly the bytes it was read from.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <vector>

#include "fuzz_check.h"
#include "natives/data_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  FuzzedDataProvider provider(data, size);
  size_t pieceSize = provider.ConsumeIntegralInRange<size_t>(1, 300);
  const std::vector<uint8_t> stream = provider.ConsumeRemainingBytes<uint8_t>();
  size_t at = 0;
  ReadSome readSome = [&](uint8_t* buffer, size_t capacity) {
    size_t count = std::min({capacity, pieceSize, stream.size() - at});
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), count, buffer);
    at += count;
    return count;
  };
  for (;;) {
    size_t blockStart = at;
    std::optional<std::vector<uint8_t>> payload = readDataBlock(readSome);
    if (!payload) break;
    std::vector<uint8_t> written;
    WriteSome writeSome = [&](const uint8_t* bytes, size_t count) {
      count = std::min(count, pieceSize);
      written.insert(written.end(), bytes, bytes + count);
      return count;
    };
    fuzz::check(writeDataBlock(writeSome, *payload), "a block read is written");
    fuzz::check(std::equal(written.begin(), written.end(), stream.begin() + static_cast<std::ptrdiff_t>(blockStart),
                           stream.begin() + static_cast<std::ptrdiff_t>(at)) &&
                    written.size() == at - blockStart,
                "a block is written as it was read");
  }
  return 0;
}
