#include "lnxpack/inspect.h"

#include <algorithm>

#include "lnxpack/pe_image.h"
#include "lnxpack/text_convert.h"
#include "payload/byte_source.h"
#include "payload/catalogue.h"
#include "payload/crc32.h"
#include "payload/file_mask.h"
#include "payload/payload_format.h"
#include "payload/record_reader.h"

namespace lnx::pack {

namespace {

PayloadHeader readHeader(RecordReader& reader) {
  PayloadHeader header;
  header.magicOk = static_cast<uint32_t>(reader.readInt()) == payload::kMagic;
  header.checksumFlag = reader.readInt();
  header.checksum = static_cast<uint32_t>(reader.readInt());
  header.coveredLength = reader.readLong();
  return header;
}

uint64_t coveredEnd(uint32_t payloadStart, const PayloadHeader& header) {
  // A negative length covers nothing, as in the launcher's loop.
  return uint64_t{payloadStart} + payload::kCoveredRangeOffset +
         static_cast<uint64_t>(std::max<int64_t>(header.coveredLength, 0));
}

std::string checksumVerdict(const std::vector<uint8_t>& image, uint32_t payloadStart, const PayloadHeader& header) {
  if (!header.magicOk) return verdict::kWrongMagic;
  if (header.checksumFlag == 0) return verdict::kNotStored;
  uint64_t end = coveredEnd(payloadStart, header);
  if (end > image.size()) return verdict::kTruncated;
  uint64_t begin = uint64_t{payloadStart} + payload::kCoveredRangeOffset;
  uint32_t computed = crc32(image.data() + begin, static_cast<size_t>(end - begin));
  return computed == header.checksum ? verdict::kOk : verdict::kMismatch;
}

std::vector<std::string> splitNames(const std::string& list) {
  std::vector<std::string> names;
  size_t begin = 0;
  while (begin <= list.size()) {
    size_t end = std::min(list.find(';', begin), list.size());
    if (end > begin) names.push_back(list.substr(begin, end - begin));
    begin = end + 1;
  }
  return names;
}

std::string configValue(const PayloadTables& tables, int id) {
  auto it = tables.configValues.find(id);
  return it == tables.configValues.end() ? std::string() : it->second;
}

// Walks the records as the launcher's extraction does: the first count names of 2003.
void readFileRecords(RecordReader& reader, uint64_t imageSize, InspectReport& report) {
  const PayloadTables& tables = *report.tables;
  int count = parseConfigInt(configValue(tables, config::includedFileCount));
  std::vector<std::string> names = splitNames(configValue(tables, config::includedFileNames));
  for (size_t i = 0; i < names.size() && static_cast<int64_t>(i) < count; ++i) {
    FileRecord record{names[i], reader.readLong(), reader.position()};
    uint64_t stored = static_cast<uint64_t>(std::max<int64_t>(record.size, 0));
    if (stored > imageSize - record.dataOffset)
      throw PayloadReadError{L"the record of " + payloadNarrowToWide(record.name) + L" runs past the end of the file"};
    report.files.push_back(record);
    reader.seek(record.dataOffset + stored);
  }
  RecordsEnd end;
  end.position = reader.position();
  end.unextractedPosition = count == 0 ? 0 : static_cast<uint32_t>(end.position);
  uint64_t dataEnd = std::min<uint64_t>(coveredEnd(*report.payloadStart, *report.header), imageSize);
  if (report.signatureSize != 0) dataEnd = std::min<uint64_t>(dataEnd, report.signatureOffset);
  end.javaDataLength = dataEnd > end.position ? dataEnd - end.position : 0;
  report.recordsEnd = end;
}

void checkBundledRuntime(const std::vector<uint8_t>& image, InspectReport& report) {
  for (const FileRecord& file : report.files) {
    if (file.name != kRuntimeArchiveName || file.size <= 0) continue;
    std::vector<uint8_t> archive(image.begin() + static_cast<std::ptrdiff_t>(file.dataOffset),
                                 image.begin() + static_cast<std::ptrdiff_t>(file.dataOffset + file.size));
    applyFileMask(archive.data(), archive.size());
    report.runtime = checkRuntimeArchive(archive);
  }
}

} // namespace

InspectReport inspectSetup(const std::vector<uint8_t>& image, const std::filesystem::path& file,
                           const std::string& locale) {
  PeLayout layout = readPeLayout(image, file);
  InspectReport report;
  report.fileSize = image.size();
  report.launcher = layout.target;
  report.sectionCount = layout.sections.size();
  report.lastSectionEndsLast = layout.lastSectionEndsLast();
  report.signatureOffset = layout.certificateTable.offset;
  report.signatureSize = layout.certificateTable.size;
  MemoryByteSource source(image);
  RecordReader reader(source);
  try {
    report.payloadStart = seekPayloadStart(reader); // the launcher's own walk decides
    if (*report.payloadStart >= image.size()) {
      report.error = L"no payload: nothing follows the last PE section (a launcher stub, not a built setup file)";
      return report;
    }
    report.header = readHeader(reader);
    report.checksumVerdict = checksumVerdict(image, *report.payloadStart, *report.header);
    if (!report.header->magicOk) {
      report.error = L"no payload: the " + std::to_wstring(image.size() - *report.payloadStart) +
                     L" bytes after the last PE section do not start with the payload magic (the launcher stops "
                     L"with \"Internal Error: magic\")";
      return report;
    }
    reader.seek(*report.payloadStart);
    report.tables = readTables(reader, [&locale] { return locale; });
    readFileRecords(reader, image.size(), report);
    checkBundledRuntime(image, report);
  } catch (const PayloadReadError& error) {
    report.error = error.text;
  }
  return report;
}

} // namespace lnx::pack
