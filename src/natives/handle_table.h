#pragma once
// The system handle table (information class SystemHandleInformation) in the layout of
// either width, and the rules by which the handle natives pick the file handles of their
// own process.
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

// One entry of the table. A 32-bit process gets 16 bytes an entry after the 32-bit entry
// count; a 64-bit one 24 (the object's address is 8 bytes, the entry padded to 8), and the
// entries start at offset 8.
struct SystemHandleEntry {
  uint32_t processId;
  uint8_t objectType;
  uint8_t flags;
  uint16_t handleValue;
  uint64_t objectAddress;
  uint32_t grantedAccess;
};

// The entries the table data holds, in table order, read in the layout of a process of the
// given pointer width (this build's unless said). An entry count larger than the data gives
// only the entries that are there in full.
std::vector<SystemHandleEntry> systemHandleEntries(const uint8_t* data, size_t size,
                                                   size_t pointerBytes = sizeof(void*));

// The object type name of a file: exactly the four units "File" (8 bytes).
bool isFileTypeName(const char16_t* name, size_t lengthBytes);

} // namespace lnx
