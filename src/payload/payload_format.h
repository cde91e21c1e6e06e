#pragma once
// The layout of the Payload appended after the launcher's last PE section. The builder
// (lnxpack) and the launcher's reader share these definitions.
//
//   0   magic                      int   kMagic
//   4   checksum flag              int   non-zero when a checksum is stored
//   8   expected CRC-32            int   over the covered range (unsigned)
//   12  covered length             long  bytes from offset 20 on
//   20  ConfigBlock                int count; count x (int id, string value)
//       MessageTable               int count; count x (int id, wstring text)
//       localised message sets     int count; count x (string locale, int n, n x (int id, wstring))
//       file records               per included file: long size, size bytes XOR kFileMask
//       data for the Java side     read by the Java installer from the executable itself
//
// All integers are little-endian; a string is an int byte count and that many 8-bit bytes,
// a wstring an int byte count and that many UTF-16LE bytes; neither has a terminator.
#include <cstdint>

namespace lnx::payload {

constexpr uint32_t kMagic = 0xE8E413D5u;
constexpr uint8_t kFileMask = 0xA7;
constexpr uint32_t kChecksumFlagOffset = 4;
constexpr uint32_t kChecksumOffset = 8;
constexpr uint32_t kCoveredLengthOffset = 12;
constexpr uint32_t kCoveredRangeOffset = 20;

// PE header fields walked to find the Payload start.
constexpr uint32_t kPeSignatureOffsetField = 60;  // int: offset e of "PE\0\0"
constexpr uint32_t kSectionCountField = 6;        // short at e + 6
constexpr uint32_t kOptionalHeaderSizeField = 20; // short at e + 20
constexpr uint32_t kSectionTableOffset = 24;      // section table at e + 24 + optional header
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kSectionRawSizeField = 16;     // int within a section header
constexpr uint32_t kSectionRawOffsetField = 20;   // int within a section header
constexpr uint32_t kSymbolTablePointerField = 12; // at e + 12: PointerToSymbolTable of the COFF header
constexpr uint32_t kSymbolCountField = 16;        // at e + 16: NumberOfSymbols of the COFF header

} // namespace lnx::payload
