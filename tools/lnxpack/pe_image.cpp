#include "lnxpack/pe_image.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "lnxpack/tool_error.h"
#include "payload/payload_format.h"

namespace lnx::pack {

namespace fs = std::filesystem;
using namespace lnx::payload;

namespace {

constexpr uint32_t kCoffSymbolSize = 18;
constexpr uint32_t kMzHeaderSize = 64;
constexpr uint32_t kMachineField = 4; // at e + 4
constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMachineX64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
// Optional header (at e + 24): its magic tells PE32 from PE32+, which moves the data
// directories; entry 4 is the certificate table.
constexpr uint32_t kOptionalHeaderOffset = 24;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kCertificateDirectory = 4;
constexpr uint32_t kDataDirectorySize = 8;

struct DataDirectoryFields {
  uint32_t count;     // NumberOfRvaAndSizes, within the optional header
  uint32_t directory; // the first data directory, within the optional header
};

bool inImage(const std::vector<uint8_t>& image, uint64_t offset, uint64_t size) {
  return offset <= image.size() && size <= image.size() - offset;
}

uint32_t readLe(const std::vector<uint8_t>& image, uint64_t offset, int byteCount) {
  uint32_t value = 0;
  for (int i = 0; i < byteCount; ++i) value |= uint32_t{image[offset + i]} << (8 * i);
  return value;
}

void writeLe32(std::vector<uint8_t>& image, uint64_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Length of the COFF symbol table plus string table when they are exactly what follows
// the payload start, else nothing.
std::optional<uint64_t> trailingCoffTablesLength(const PeLayout& layout, const std::vector<uint8_t>& image) {
  uint64_t start = layout.payloadStart();
  if (layout.symbolTablePointer != start) return std::nullopt;
  uint64_t stringTable = start + uint64_t{layout.symbolCount} * kCoffSymbolSize;
  if (!inImage(image, stringTable, 4)) return std::nullopt;
  uint32_t stringTableSize = readLe(image, stringTable, 4); // counts its own size field
  if (stringTableSize < 4 || stringTable + stringTableSize != image.size()) return std::nullopt;
  return image.size() - start;
}

// The certificate table's entry, when the optional header is long enough to hold it.
CertificateTable readCertificateTable(const std::vector<uint8_t>& image, uint64_t optionalHeader,
                                      uint32_t optionalHeaderSize) {
  if (!inImage(image, optionalHeader, optionalHeaderSize) || optionalHeaderSize < 2) return {};
  DataDirectoryFields fields =
      readLe(image, optionalHeader, 2) == kPe32PlusMagic ? DataDirectoryFields{108, 112} : DataDirectoryFields{92, 96};
  uint32_t entry = fields.directory + kCertificateDirectory * kDataDirectorySize;
  if (optionalHeaderSize < entry + kDataDirectorySize) return {};
  if (readLe(image, optionalHeader + fields.count, 4) <= kCertificateDirectory) return {};
  return {readLe(image, optionalHeader + entry, 4), readLe(image, optionalHeader + entry + 4, 4)};
}

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

std::string machineName(uint16_t machine) {
  switch (machine) {
  case kMachineI386: return "i386";
  case kMachineX64: return "x86-64";
  case kMachineArm64: return "ARM64";
  default: return "machine " + hex(machine);
  }
}

// The offset of "PE\0\0", checked with the COFF header behind it.
uint32_t peSignatureOffset(const std::vector<uint8_t>& image, const fs::path& file) {
  if (!inImage(image, 0, kMzHeaderSize) || image[0] != 'M' || image[1] != 'Z')
    throw ToolError{file, "not a PE image: no MZ header"};
  uint32_t pe = readLe(image, kPeSignatureOffsetField, 4);
  if (!inImage(image, pe, kOptionalHeaderOffset) || readLe(image, pe, 4) != 0x00004550)
    throw ToolError{file, "not a PE image: no \"PE\\0\\0\" signature at offset " + std::to_string(pe)};
  return pe;
}

PeTarget targetAt(const std::vector<uint8_t>& image, uint64_t pe) {
  PeTarget target;
  target.machine = static_cast<uint16_t>(readLe(image, pe + kMachineField, 2));
  if (readLe(image, pe + kOptionalHeaderSizeField, 2) >= 2 && inImage(image, pe + kOptionalHeaderOffset, 2))
    target.magic = static_cast<uint16_t>(readLe(image, pe + kOptionalHeaderOffset, 2));
  return target;
}

} // namespace

std::optional<PeWidth> PeTarget::width() const {
  if (machine == kMachineI386 && magic == kPe32Magic) return PeWidth::bits32;
  if (machine == kMachineX64 && magic == kPe32PlusMagic) return PeWidth::bits64;
  return std::nullopt;
}

int bitsOf(PeWidth width) { return width == PeWidth::bits64 ? 64 : 32; }

std::optional<std::string> peFormatName(uint16_t magic) {
  if (magic == kPe32Magic) return "PE32";
  if (magic == kPe32PlusMagic) return "PE32+";
  return std::nullopt;
}

std::string describe(const PeTarget& target) {
  std::string parts = peFormatName(target.magic).value_or("optional header magic " + hex(target.magic)) + ", " +
                      machineName(target.machine);
  if (std::optional<PeWidth> width = target.width()) return std::to_string(bitsOf(*width)) + "-bit (" + parts + ")";
  return parts;
}

std::string describe(PeWidth width) {
  return describe(width == PeWidth::bits64 ? PeTarget{kMachineX64, kPe32PlusMagic}
                                           : PeTarget{kMachineI386, kPe32Magic});
}

PeTarget readPeTarget(const std::vector<uint8_t>& image, const fs::path& file) {
  return targetAt(image, peSignatureOffset(image, file));
}

bool PeTargetPrefix::add(const uint8_t* data, size_t count) {
  for (;;) {
    // The MZ header first; with it, the place of the PE header and so of the magic.
    uint64_t wanted = kMzHeaderSize;
    if (bytes_.size() >= kMzHeaderSize) {
      if (bytes_[0] != 'M' || bytes_[1] != 'Z') return false; // no PE image: nothing more to learn
      wanted = uint64_t{readLe(bytes_, kPeSignatureOffsetField, 4)} + kOptionalHeaderOffset + 2;
    }
    if (bytes_.size() >= wanted) return false;
    if (count == 0) return true;
    size_t taken = static_cast<size_t>(std::min<uint64_t>(wanted - bytes_.size(), count));
    bytes_.insert(bytes_.end(), data, data + taken);
    data += taken;
    count -= taken;
  }
}

bool PeLayout::lastSectionEndsLast() const {
  for (const PeSection& section : sections)
    if (section.rawEnd() > payloadStart()) return false;
  return true;
}

PeLayout readPeLayout(const std::vector<uint8_t>& image, const fs::path& file) {
  PeLayout layout;
  layout.peOffset = peSignatureOffset(image, file);
  uint64_t pe = layout.peOffset;
  layout.target = targetAt(image, pe);
  uint32_t sectionCount = readLe(image, pe + kSectionCountField, 2);
  uint32_t optionalHeaderSize = readLe(image, pe + kOptionalHeaderSizeField, 2);
  layout.symbolTablePointer = readLe(image, pe + kSymbolTablePointerField, 4);
  layout.symbolCount = readLe(image, pe + kSymbolCountField, 4);
  if (sectionCount == 0) throw ToolError{file, "PE image without sections"};
  uint64_t table = pe + kSectionTableOffset + optionalHeaderSize;
  if (!inImage(image, table, uint64_t{kSectionHeaderSize} * sectionCount))
    throw ToolError{file, "PE section table runs past the end of the file"};
  for (uint32_t i = 0; i < sectionCount; ++i) {
    uint64_t header = table + uint64_t{kSectionHeaderSize} * i;
    layout.sections.push_back(
        {readLe(image, header + kSectionRawSizeField, 4), readLe(image, header + kSectionRawOffsetField, 4)});
  }
  layout.certificateTable = readCertificateTable(image, pe + kOptionalHeaderOffset, optionalHeaderSize);
  return layout;
}

PreparedStub prepareStub(std::vector<uint8_t> image, const fs::path& file) {
  PeLayout layout = readPeLayout(image, file);
  std::optional<PeWidth> width = layout.target.width();
  if (!width)
    throw ToolError{file, "the stub is built as " + describe(layout.target) + ", which is neither launcher: " +
                              describe(PeWidth::bits32) + " or " + describe(PeWidth::bits64)};
  uint64_t start = layout.payloadStart();
  if (!layout.lastSectionEndsLast())
    throw ToolError{file, "the last section header (raw data ending at " + std::to_string(start) +
                              ") is not the section whose raw data ends last; the launcher would look for "
                              "the payload inside the image"};
  if (start > image.size())
    throw ToolError{file, "the last section's raw data ends at " + std::to_string(start) +
                              ", beyond the end of the file (" + std::to_string(image.size()) + " bytes)"};
  if (inImage(image, start, 4) && readLe(image, start, 4) == kMagic)
    throw ToolError{file, file.filename().string() +
                              " already carries a payload: it is a built setup file, not the launcher stub"};
  if (layout.certificateTable.size != 0 && layout.certificateTable.offset >= start)
    throw ToolError{file, "the stub is signed (a certificate table of " + std::to_string(layout.certificateTable.size) +
                              " bytes follows its last section), and the payload must follow the last section: "
                              "build from the unsigned stub and sign the setup file"};
  PreparedStub stub;
  stub.width = *width;
  if (start < image.size()) {
    std::optional<uint64_t> coffTables = trailingCoffTablesLength(layout, image);
    if (!coffTables)
      throw ToolError{file, std::to_string(image.size() - start) +
                                " bytes follow the last section and are no COFF symbol or string table; the "
                                "payload must start right after the last section"};
    stub.droppedBytes = static_cast<size_t>(*coffTables);
    image.resize(static_cast<size_t>(start));
    writeLe32(image, layout.peOffset + kSymbolTablePointerField, 0);
    writeLe32(image, layout.peOffset + kSymbolCountField, 0);
  }
  stub.bytes = std::move(image);
  return stub;
}

} // namespace lnx::pack
