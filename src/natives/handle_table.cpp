#include "natives/handle_table.h"

#include <algorithm>

namespace lnx {

namespace {

constexpr size_t kCountBytes = 4;
constexpr size_t kEntryBytes = 16;

uint32_t littleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

} // namespace

std::vector<SystemHandleEntry> systemHandleEntries(const uint8_t* data, size_t size) {
  std::vector<SystemHandleEntry> entries;
  if (size < kCountBytes) return entries;
  size_t count = std::min<size_t>(littleEndian32(data), (size - kCountBytes) / kEntryBytes);
  for (size_t index = 0; index < count; ++index) {
    const uint8_t* entry = data + kCountBytes + index * kEntryBytes;
    entries.push_back({littleEndian32(entry), entry[4], entry[5], static_cast<uint16_t>(entry[6] | entry[7] << 8),
                       littleEndian32(entry + 8), littleEndian32(entry + 12)});
  }
  return entries;
}

bool isFileTypeName(const char16_t* name, size_t lengthBytes) {
  return name && lengthBytes == 8 && std::u16string(name, 4) == u"File";
}

} // namespace lnx
