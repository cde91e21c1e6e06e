#pragma once
// The PE facts the Payload depends on: it starts right after the raw data of the last
// section header, so nothing of the stub may lie behind that point.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace lnx::pack {

struct PeSection {
  uint32_t rawSize;
  uint32_t rawOffset;
  uint64_t rawEnd() const { return uint64_t{rawOffset} + rawSize; }
};

// The Authenticode certificate table (data directory 4, IMAGE_DIRECTORY_ENTRY_SECURITY):
// unlike the other directories its address is a file offset; signing tools append it at
// the end of the file. Size 0 when the image is not signed.
struct CertificateTable {
  uint32_t offset = 0;
  uint32_t size = 0;
};

struct PeLayout {
  uint32_t peOffset = 0;           // of the "PE\0\0" signature
  std::vector<PeSection> sections; // in table order, never empty
  uint32_t symbolTablePointer = 0; // COFF header: PointerToSymbolTable
  uint32_t symbolCount = 0;        // COFF header: NumberOfSymbols
  CertificateTable certificateTable;

  uint64_t payloadStart() const { return sections.back().rawEnd(); }
  // The launcher takes the last header as the one whose raw data ends last.
  bool lastSectionEndsLast() const;
};

// Parses the headers; throws ToolError naming the file when the image is no PE image or
// its section table is cut off.
PeLayout readPeLayout(const std::vector<uint8_t>& image, const std::filesystem::path& file);

struct PreparedStub {
  std::vector<uint8_t> bytes; // ends exactly at the Payload start
  size_t droppedBytes = 0;    // of a COFF symbol and string table found there
};

// Checks that a Payload appended to the stub is found where the launcher looks for it.
// A COFF symbol/string table behind the last section is dropped and the header fields
// pointing at it are cleared; a payload there (a built setup file), any other trailing
// data (a signature among it), or a last section header whose raw data does not end last,
// throws ToolError.
PreparedStub prepareStub(std::vector<uint8_t> image, const std::filesystem::path& file);

} // namespace lnx::pack
