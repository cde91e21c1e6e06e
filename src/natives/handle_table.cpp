#include "natives/handle_table.h"

#include <algorithm>

namespace lnx {

namespace {

uint64_t littleEndian(const uint8_t* bytes, size_t count) {
  uint64_t value = 0;
  for (size_t index = count; index-- > 0;) value = value << 8 | bytes[index];
  return value;
}

} // namespace

std::vector<SystemHandleEntry> systemHandleEntries(const uint8_t* data, size_t size, size_t pointerBytes) {
  // The count is a ULONG; the entries are aligned to the pointer width.
  const size_t firstEntry = pointerBytes;
  const size_t entryBytes = pointerBytes == 8 ? 24 : 16;
  std::vector<SystemHandleEntry> entries;
  if (size < firstEntry) return entries;
  size_t count = std::min<size_t>(littleEndian(data, 4), (size - firstEntry) / entryBytes);
  for (size_t index = 0; index < count; ++index) {
    const uint8_t* entry = data + firstEntry + index * entryBytes;
    entries.push_back({static_cast<uint32_t>(littleEndian(entry, 4)), entry[4], entry[5],
                       static_cast<uint16_t>(littleEndian(entry + 6, 2)), littleEndian(entry + 8, pointerBytes),
                       static_cast<uint32_t>(littleEndian(entry + 8 + pointerBytes, 4))});
  }
  return entries;
}

bool isFileTypeName(const char16_t* name, size_t lengthBytes) {
  return name && lengthBytes == 8 && std::u16string(name, 4) == u"File";
}

} // namespace lnx
