#pragma once
// The system handle table (information class SystemHandleInformation, 32-bit layout) and
// the rules by which the handle natives pick the file handles of their own process.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lnx {

constexpr unsigned long kSystemHandleInformation = 16;
constexpr unsigned long kObjectNameInformation = 1;
constexpr unsigned long kObjectTypeInformation = 2;

// Handles granted exactly this access are never asked for their name: the name query of
// such a handle (a synchronous pipe) can block for good.
constexpr uint32_t kUnnamedHandleAccess = 0x0012019F;

// One entry of the table: 16 bytes after the 32-bit entry count.
struct SystemHandleEntry {
  uint32_t processId;
  uint8_t objectType;
  uint8_t flags;
  uint16_t handleValue;
  uint32_t objectAddress;
  uint32_t grantedAccess;
};

// The entries the table data holds, in table order. An entry count larger than the data
// gives only the entries that are there in full.
std::vector<SystemHandleEntry> systemHandleEntries(const uint8_t* data, size_t size);

// The object type name of a file: exactly the four units "File" (8 bytes).
bool isFileTypeName(const char16_t* name, size_t lengthBytes);

} // namespace lnx
