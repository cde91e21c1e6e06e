#pragma once
// The PE facts the Payload depends on: it starts right after the raw data of the last
// section header, so nothing of the stub may lie behind that point.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lnx::pack {

// The launcher is built twice: as a PE32 image for i386 and as a PE32+ image for x86-64.
// A jvm.dll loads only into the launcher of its own width.
enum class PeWidth { bits32, bits64 };

// What an image is built for: the COFF header's Machine and the optional header's Magic.
struct PeTarget {
  uint16_t machine = 0;
  uint16_t magic = 0; // 0 when there is no optional header to hold it

  // i386 with a PE32 optional header or x86-64 with a PE32+ one; nothing for any other pairing.
  std::optional<PeWidth> width() const;
};

int bitsOf(PeWidth width);
// "PE32", "PE32+", or nothing for another magic.
std::optional<std::string> peFormatName(uint16_t magic);
// "64-bit (PE32+, x86-64)", or for another pairing its parts: "PE32+, ARM64",
// "PE32, machine 0x1c4", "optional header magic 0x0, i386".
std::string describe(const PeTarget& target);
std::string describe(PeWidth width);

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
  PeTarget target;                 // COFF header: Machine; optional header: Magic
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

// The target of an image from its first bytes; throws ToolError naming the file when they
// hold no MZ and PE header.
PeTarget readPeTarget(const std::vector<uint8_t>& image, const std::filesystem::path& file);

// Keeps the first bytes of a file that readPeTarget needs, from the file's bytes handed in
// order: 64 for the MZ header, then up to the optional header's magic.
class PeTargetPrefix {
public:
  // Keeps what it still needs of these bytes; false once it has all it needs.
  bool add(const uint8_t* data, size_t count);
  const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
};

struct PreparedStub {
  std::vector<uint8_t> bytes; // ends exactly at the Payload start
  size_t droppedBytes = 0;    // of a COFF symbol and string table found there
  PeWidth width = PeWidth::bits32;
};

// Checks that the stub is one of the two launchers and that a Payload appended to it is
// found where the launcher looks for it.
// A COFF symbol/string table behind the last section is dropped and the header fields
// pointing at it are cleared; a payload there (a built setup file), any other trailing
// data (a signature among it), or a last section header whose raw data does not end last,
// throws ToolError.
PreparedStub prepareStub(std::vector<uint8_t> image, const std::filesystem::path& file);

} // namespace lnx::pack
