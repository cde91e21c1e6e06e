#include "natives/data_block.h"

#include <algorithm>
#include <limits>
#include <new>

namespace lnx {

std::array<uint8_t, kBlockLengthBytes> blockLengthPrefix(uint32_t length) {
  return {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length >> 16),
          static_cast<uint8_t>(length >> 24)};
}

std::optional<uint32_t> blockPayloadLength(const std::array<uint8_t, kBlockLengthBytes>& prefix) {
  uint32_t length = static_cast<uint32_t>(prefix[0]) | static_cast<uint32_t>(prefix[1]) << 8 |
                    static_cast<uint32_t>(prefix[2]) << 16 | static_cast<uint32_t>(prefix[3]) << 24;
  if (length > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return std::nullopt;
  return length;
}

bool readExactly(const ReadSome& readSome, uint8_t* buffer, size_t size) {
  for (size_t filled = 0; filled < size;) {
    size_t arrived = readSome(buffer + filled, size - filled);
    if (arrived == 0) return false;
    filled += arrived;
  }
  return true;
}

bool writeExactly(const WriteSome& writeSome, const uint8_t* data, size_t size) {
  for (size_t written = 0; written < size;) {
    size_t taken = writeSome(data + written, size - written);
    if (taken == 0) return false;
    written += taken;
  }
  return true;
}

std::optional<std::vector<uint8_t>> readDataBlock(const ReadSome& readSome) {
  std::array<uint8_t, kBlockLengthBytes> prefix{};
  if (!readExactly(readSome, prefix.data(), prefix.size())) return std::nullopt;
  std::optional<uint32_t> length = blockPayloadLength(prefix);
  if (!length) return std::nullopt;
  std::vector<uint8_t> payload;
  try {
    while (payload.size() < *length) {
      size_t filled = payload.size();
      size_t chunk = std::min<size_t>(kBlockReadChunkBytes, *length - filled);
      payload.resize(filled + chunk);
      if (!readExactly(readSome, payload.data() + filled, chunk)) return std::nullopt;
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return payload;
}

bool writeDataBlock(const WriteSome& writeSome, size_t length, const CopyPayload& copy) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  std::array<uint8_t, kBlockLengthBytes> prefix = blockLengthPrefix(static_cast<uint32_t>(length));
  if (!writeExactly(writeSome, prefix.data(), prefix.size())) return false;
  std::vector<uint8_t> piece(std::min(length, kBlockWriteChunkBytes));
  for (size_t offset = 0; offset < length; offset += piece.size()) {
    size_t size = std::min(piece.size(), length - offset);
    if (!copy(offset, piece.data(), size) || !writeExactly(writeSome, piece.data(), size)) return false;
  }
  return true;
}

bool writeDataBlock(const WriteSome& writeSome, const std::vector<uint8_t>& payload) {
  return writeDataBlock(writeSome, payload.size(), [&payload](size_t offset, uint8_t* buffer, size_t size) {
    std::copy(payload.begin() + static_cast<std::ptrdiff_t>(offset),
              payload.begin() + static_cast<std::ptrdiff_t>(offset + size), buffer);
    return true;
  });
}

} // namespace lnx
