#include "lnxpack/payload_builder.h"

#include <string>

#include "lnxpack/file_io.h"
#include "lnxpack/pe_image.h"
#include "lnxpack/runtime_archive.h"
#include "lnxpack/tool_error.h"
#include "payload/catalogue.h"
#include "payload/crc32.h"
#include "payload/payload_format.h"
#include "payload/record_writer.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

// The launcher keeps file positions in 32 bits.
constexpr uint64_t kMaxSetupSize = 0x7FFFFFFF;

// Appends the covered range to the output, keeping its CRC-32 and length.
class CoveredRange {
public:
  explicit CoveredRange(OutputFile& output) : output_(output) {}
  void append(const std::vector<uint8_t>& bytes, const fs::path& origin) {
    if (output_.size() + bytes.size() > kMaxSetupSize)
      throw ToolError{origin, "the setup file would exceed 2 GB, which the launcher cannot read"};
    output_.append(bytes);
    crc_ = crc32Update(crc_, bytes.data(), bytes.size());
    length_ += bytes.size();
  }
  uint32_t crc() const { return crc32Finish(crc_); }
  uint64_t length() const { return length_; }

private:
  OutputFile& output_;
  uint32_t crc_ = kCrc32Initial;
  uint64_t length_ = 0;
};

std::vector<uint8_t> encodeHeader(bool checksum, uint32_t crc, uint64_t coveredLength) {
  RecordWriter writer;
  writer.writeInt(static_cast<int32_t>(payload::kMagic));
  writer.writeInt(checksum ? 1 : 0);
  writer.writeInt(checksum ? static_cast<int32_t>(crc) : 0);
  writer.writeLong(static_cast<int64_t>(coveredLength));
  return std::move(writer.bytes());
}

void appendFileRecord(CoveredRange& covered, const IncludedFile& file) {
  std::vector<uint8_t> data = file.content ? *file.content : readFileBytes(file.source);
  RecordWriter size;
  size.writeLong(static_cast<int64_t>(data.size()));
  covered.append(size.bytes(), file.source);
  for (uint8_t& byte : data)
    byte ^= payload::kFileMask;
  covered.append(data, file.source);
}

} // namespace

std::vector<uint8_t> encodeTables(const Project& project) {
  RecordWriter writer;
  writer.writeInt(static_cast<int32_t>(project.config.size()));
  for (const auto& [id, value] : project.config) {
    writer.writeInt(id);
    writer.writeString(value);
  }
  writer.writeInt(static_cast<int32_t>(project.messages.size()));
  for (const auto& [id, text] : project.messages) {
    writer.writeInt(id);
    writer.writeWString(text);
  }
  writer.writeInt(static_cast<int32_t>(project.localisedSets.size()));
  for (const LocalisedSet& set : project.localisedSets) {
    writer.writeString(set.locale);
    writer.writeInt(static_cast<int32_t>(set.entries.size()));
    for (const auto& [id, text] : set.entries) {
      writer.writeInt(id);
      writer.writeWString(text);
    }
  }
  return std::move(writer.bytes());
}

namespace {

// The project with its runtime directory packed and included as the last file.
Project withBundledRuntime(const Project& project) {
  Project complete = project;
  if (!project.runtime) return complete;
  RuntimeArchive archive = packRuntimeDirectory(project.runtime->directory);
  IncludedFile file{kRuntimeArchiveName, project.runtime->directory,
                    std::make_shared<const std::vector<uint8_t>>(std::move(archive.gzip))};
  complete.files.push_back(std::move(file));
  std::string& names = complete.config[config::includedFileNames];
  names += (names.empty() ? "" : ";") + std::string(kRuntimeArchiveName);
  complete.config[config::includedFileCount] = std::to_string(complete.files.size());
  complete.config[config::jreUncompressedSize] = std::to_string(archive.tarSize);
  return complete;
}

} // namespace

BuildSummary buildSetup(const Project& original, const fs::path& stubFile, const fs::path& output) {
  Project project = withBundledRuntime(original);
  PreparedStub stub = prepareStub(readFileBytes(stubFile), stubFile);
  BuildSummary summary;
  summary.payloadStart = stub.bytes.size();
  summary.droppedStubBytes = stub.droppedBytes;
  summary.files = project.files.size();

  OutputFile setup(output);
  setup.append(stub.bytes);
  setup.append(encodeHeader(project.checksum, 0, 0)); // completed below
  CoveredRange covered(setup);
  covered.append(encodeTables(project), output);
  for (const IncludedFile& file : project.files)
    appendFileRecord(covered, file);
  if (project.javaData) covered.append(readFileBytes(*project.javaData), *project.javaData);
  setup.overwrite(summary.payloadStart, encodeHeader(project.checksum, covered.crc(), covered.length()));
  summary.setupSize = setup.size();
  setup.commit();
  return summary;
}

} // namespace lnx::pack
