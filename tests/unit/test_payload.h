#pragma once
// Payload bytes for reader tests: a minimal PE image followed by header and tables.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "payload/payload_format.h"
#include "payload/record_writer.h"

namespace lnx::test {

// A PE image of sectionCount sections whose last section's raw data ends at the end.
inline std::vector<uint8_t> minimalPeImage(int sectionCount = 2) {
  const uint32_t peOffset = 0x80, optionalHeaderSize = 0xE0;
  uint32_t table = peOffset + 24 + optionalHeaderSize;
  uint32_t rawOffset = 0x200;
  std::vector<uint8_t> image(rawOffset + 0x200u * sectionCount, 0);
  auto put32 = [&](uint32_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  image[0] = 'M';
  image[1] = 'Z';
  put32(60, peOffset);
  image[peOffset] = 'P';
  image[peOffset + 1] = 'E';
  image[peOffset + 6] = static_cast<uint8_t>(sectionCount);
  image[peOffset + 20] = static_cast<uint8_t>(optionalHeaderSize);
  for (int s = 0; s < sectionCount; ++s) {
    put32(table + 40 * s + 16, 0x200);
    put32(table + 40 * s + 20, rawOffset + 0x200u * s);
  }
  return image;
}

struct TestPayload {
  std::vector<std::pair<int32_t, std::string>> config;
  std::vector<std::pair<int32_t, std::wstring>> messages;
  std::vector<std::pair<std::string, std::vector<std::pair<int32_t, std::wstring>>>> sets;
  uint32_t magic = payload::kMagic;

  std::vector<uint8_t> bytes() const {
    RecordWriter w;
    w.writeInt(static_cast<int32_t>(magic));
    w.writeInt(0);
    w.writeInt(0);
    w.writeLong(0);
    w.writeInt(static_cast<int32_t>(config.size()));
    for (const auto& [id, value] : config) {
      w.writeInt(id);
      w.writeString(value);
    }
    w.writeInt(static_cast<int32_t>(messages.size()));
    for (const auto& [id, text] : messages) {
      w.writeInt(id);
      w.writeWString(text);
    }
    w.writeInt(static_cast<int32_t>(sets.size()));
    for (const auto& [name, entries] : sets) {
      w.writeString(name);
      w.writeInt(static_cast<int32_t>(entries.size()));
      for (const auto& [id, text] : entries) {
        w.writeInt(id);
        w.writeWString(text);
      }
    }
    return w.bytes();
  }
};

} // namespace lnx::test
