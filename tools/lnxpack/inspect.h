#pragma once
// Reads a setup file back the way the launcher does and gathers what it finds.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "lnxpack/pe_image.h"
#include "lnxpack/runtime_archive.h"

#include "payload/tables.h"

namespace lnx::pack {

struct PayloadHeader {
  bool magicOk = false;
  int32_t checksumFlag = 0;
  uint32_t checksum = 0;
  int64_t coveredLength = 0;
};

namespace verdict {
constexpr const char* kOk = "ok";
constexpr const char* kMismatch = "MISMATCH";
constexpr const char* kTruncated = "file ends inside the covered range";
constexpr const char* kNotStored = "not stored";
constexpr const char* kWrongMagic = "not checked: wrong magic";
} // namespace verdict

struct FileRecord {
  std::string name; // narrow, as stored in configuration 2003
  int64_t size = 0;
  uint64_t dataOffset = 0; // absolute file offset of the stored bytes
};

struct RecordsEnd {
  uint64_t position = 0;            // absolute file offset after the last record read
  uint32_t unextractedPosition = 0; // what the launcher records: that offset, or 0 without files
  uint64_t javaDataLength = 0;      // from there to the end of the covered range (or the file, or the
                                    // certificate table)
};

// Filled in reading order; a read failure leaves the later parts empty and sets error.
struct InspectReport {
  uint64_t fileSize = 0;
  PeTarget launcher; // its width() tells which launcher the file starts with
  size_t sectionCount = 0;
  bool lastSectionEndsLast = true;
  uint32_t signatureOffset = 0; // the certificate table a signing tool appended; 0 and 0 when unsigned
  uint32_t signatureSize = 0;
  std::optional<uint32_t> payloadStart;
  std::optional<PayloadHeader> header;
  std::string checksumVerdict;
  std::optional<PayloadTables> tables;
  std::vector<FileRecord> files;
  std::optional<RecordsEnd> recordsEnd;
  std::optional<RuntimeArchiveCheck> runtime; // an included "jre.tar.gz", read as the launcher would
  std::optional<std::wstring> error; // "no payload: ..." or the reader's text, e.g. "Internal Error: readInt"
};

// Inspects the setup file's bytes. Localised sets whose names are prefixes of locale are
// applied to the messages, as in a launcher that chose that locale ("" applies only sets
// with an empty name). Throws ToolError naming the file when it is no PE image.
InspectReport inspectSetup(const std::vector<uint8_t>& image, const std::filesystem::path& file,
                           const std::string& locale);

} // namespace lnx::pack
