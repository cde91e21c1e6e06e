#include "natives/data_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace lnx {
namespace {

using Bytes = std::vector<uint8_t>;

// A byte stream that hands out at most stepBytes per read and takes at most stepBytes per
// write, as a pipe may; it remembers the largest read asked of it.
struct Stream {
  Bytes bytes;
  size_t position = 0;
  size_t stepBytes = SIZE_MAX;
  size_t largestReadRequest = 0;

  ReadSome reader() {
    return [this](uint8_t* buffer, size_t capacity) {
      largestReadRequest = std::max(largestReadRequest, capacity);
      size_t count = std::min({capacity, stepBytes, bytes.size() - position});
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(position), count, buffer);
      position += count;
      return count;
    };
  }
  WriteSome writer() {
    return [this](const uint8_t* data, size_t size) {
      size_t count = std::min(size, stepBytes);
      bytes.insert(bytes.end(), data, data + count);
      return count;
    };
  }
};

Bytes pattern(size_t size) {
  Bytes bytes(size);
  for (size_t index = 0; index < size; ++index)
    bytes[index] = static_cast<uint8_t>(index * 7 + index / 251);
  return bytes;
}

TEST(DataBlock, LengthPrefixIsLittleEndianAndNeverNegative) {
  EXPECT_EQ((std::array<uint8_t, 4>{0x78, 0x56, 0x34, 0x12}), blockLengthPrefix(0x12345678));
  EXPECT_EQ((std::array<uint8_t, 4>{0, 0, 0, 0}), blockLengthPrefix(0));
  EXPECT_EQ(0x12345678u, blockPayloadLength({0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(0x7FFFFFFFu, blockPayloadLength({0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(std::nullopt, blockPayloadLength({0x00, 0x00, 0x00, 0x80}));
  EXPECT_EQ(std::nullopt, blockPayloadLength({0xFF, 0xFF, 0xFF, 0xFF})) << "-1";
}

TEST(DataBlock, BlocksFollowEachOtherAndSurviveShortReadsAndWrites) {
  const std::vector<Bytes> payloads = {Bytes{'a', 'b', 'c'}, Bytes{}, pattern(3 * kBlockReadChunkBytes + 17), Bytes{0}};
  Stream stream;
  stream.stepBytes = 3; // every prefix and payload crosses several calls
  for (const Bytes& payload : payloads)
    ASSERT_TRUE(writeDataBlock(stream.writer(), payload));
  EXPECT_EQ((Bytes{3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}), Bytes(stream.bytes.begin(), stream.bytes.begin() + 11));

  for (size_t step : {size_t(1), size_t(5), SIZE_MAX}) {
    stream.position = 0;
    stream.stepBytes = step;
    for (const Bytes& payload : payloads)
      EXPECT_EQ(payload, readDataBlock(stream.reader())) << "reads of " << step;
    EXPECT_EQ(stream.bytes.size(), stream.position) << "nothing read beyond the last block";
    EXPECT_EQ(std::nullopt, readDataBlock(stream.reader())) << "the stream has ended";
  }
}

TEST(DataBlock, HostileOrCutBlocksGiveNothing) {
  Stream negative{{0x00, 0x00, 0x00, 0x80, 'x'}};
  EXPECT_EQ(std::nullopt, readDataBlock(negative.reader()));
  EXPECT_EQ(4u, negative.position) << "no payload read for a negative length";

  Stream huge{{0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}};
  EXPECT_EQ(std::nullopt, readDataBlock(huge.reader()));
  EXPECT_LE(huge.largestReadRequest, kBlockReadChunkBytes) << "the buffer follows the data, not the claim";

  Bytes longer = {10, 0, 0, 0};
  Bytes nine = pattern(9);
  longer.insert(longer.end(), nine.begin(), nine.end());
  Stream cut{longer};
  EXPECT_EQ(std::nullopt, readDataBlock(cut.reader())) << "a partial block is never returned";

  Stream halfPrefix{{5, 0}};
  EXPECT_EQ(std::nullopt, readDataBlock(halfPrefix.reader()));
  Stream empty;
  EXPECT_EQ(std::nullopt, readDataBlock(empty.reader()));
}

TEST(DataBlock, FailedWritesAreReported) {
  size_t calls = 0;
  WriteSome failsSecond = [&calls](const uint8_t*, size_t size) { return ++calls == 1 ? size : 0; };
  EXPECT_FALSE(writeDataBlock(failsSecond, Bytes{1, 2}));
  EXPECT_EQ(2u, calls) << "the prefix went, the payload failed";
  calls = 0;
  WriteSome failsFirst = [&calls](const uint8_t*, size_t) { return ++calls, size_t(0); };
  EXPECT_FALSE(writeDataBlock(failsFirst, Bytes{1}));
  EXPECT_EQ(1u, calls) << "no payload after a failed prefix";
  EXPECT_TRUE(writeExactly(failsFirst, nullptr, 0)) << "nothing to write needs no call";
}

TEST(DataBlock, ALargePayloadIsCopiedAndWrittenInPiecesAndAFailedCopyStopsIt) {
  const size_t length = 3 * kBlockWriteChunkBytes + 5;
  std::vector<size_t> copied;
  Bytes written;
  WriteSome sink = [&written](const uint8_t* data, size_t size) {
    written.insert(written.end(), data, data + size);
    return size;
  };
  CopyPayload source = [&copied](size_t offset, uint8_t* buffer, size_t size) {
    copied.push_back(size);
    for (size_t i = 0; i < size; ++i) buffer[i] = static_cast<uint8_t>(offset + i);
    return true;
  };
  ASSERT_TRUE(writeDataBlock(sink, length, source));
  EXPECT_EQ((std::vector<size_t>{kBlockWriteChunkBytes, kBlockWriteChunkBytes, kBlockWriteChunkBytes, 5}), copied);
  ASSERT_EQ(kBlockLengthBytes + length, written.size());
  for (size_t i = 0; i < length; ++i) ASSERT_EQ(static_cast<uint8_t>(i), written[kBlockLengthBytes + i]) << i;

  size_t copies = 0;
  CopyPayload failsSecond = [&copies](size_t, uint8_t*, size_t) { return ++copies == 1; };
  written.clear();
  EXPECT_FALSE(writeDataBlock(sink, length, failsSecond));
  EXPECT_EQ(kBlockLengthBytes + kBlockWriteChunkBytes, written.size()) << "nothing after the failed copy";
}

} // namespace
} // namespace lnx
