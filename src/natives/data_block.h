#pragma once
// The data block two processes exchange over the communication pipe: a 32-bit
// little-endian payload length N (never negative), then the N payload bytes; blocks follow
// each other directly, with no other header or terminator. The communication natives move
// the bytes through the pipe; framing them is portable.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lnx {

constexpr size_t kBlockLengthBytes = 4;
// The most one read asks for. The payload buffer grows with the bytes that have arrived,
// never ahead of them to the length the partner announced.
constexpr size_t kBlockReadChunkBytes = 65536;

// Reads up to capacity bytes into buffer; how many arrived, 0 when the read failed or the
// stream ended.
using ReadSome = std::function<size_t(uint8_t* buffer, size_t capacity)>;
// Writes up to size bytes of data; how many were taken, 0 when the write failed.
using WriteSome = std::function<size_t(const uint8_t* data, size_t size)>;

// The length prefix of a payload of length bytes.
std::array<uint8_t, kBlockLengthBytes> blockLengthPrefix(uint32_t length);

// The payload length a prefix announces; nothing for a negative one.
std::optional<uint32_t> blockPayloadLength(const std::array<uint8_t, kBlockLengthBytes>& prefix);

// Reads exactly size bytes into buffer, in as many reads as the stream needs; false when it
// fails or ends first.
bool readExactly(const ReadSome& readSome, uint8_t* buffer, size_t size);

// Writes all size bytes of data, in as many writes as the stream takes; false when one fails.
bool writeExactly(const WriteSome& writeSome, const uint8_t* data, size_t size);

// The payload of the next block; nothing when the prefix is negative, when the stream fails
// or ends before the whole block has arrived, or when the payload does not fit in memory.
// A partial block is never returned.
std::optional<std::vector<uint8_t>> readDataBlock(const ReadSome& readSome);

// Copies size payload bytes from offset into buffer; false when they cannot be had.
using CopyPayload = std::function<bool(size_t offset, uint8_t* buffer, size_t size)>;
// The most one write takes: a payload is copied and written in pieces of this size, so a
// large block needs no second buffer of its size.
constexpr size_t kBlockWriteChunkBytes = 65536;

// Writes the block of a payload of length bytes: its length prefix, then the bytes piece by
// piece. False when a write or a copy fails or the payload is longer than a prefix can
// announce.
bool writeDataBlock(const WriteSome& writeSome, size_t length, const CopyPayload& copy);
bool writeDataBlock(const WriteSome& writeSome, const std::vector<uint8_t>& payload);

} // namespace lnx
