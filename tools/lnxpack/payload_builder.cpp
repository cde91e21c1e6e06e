#include "lnxpack/payload_builder.h"

#include <algorithm>
#include <optional>
#include <string>

#include <zlib.h>

#include "lnxpack/file_io.h"
#include "lnxpack/pe_image.h"
#include "lnxpack/runtime_archive.h"
#include "lnxpack/tool_error.h"
#include "payload/catalogue.h"
#include "payload/file_mask.h"
#include "payload/payload_format.h"
#include "payload/record_writer.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

// The launcher keeps file positions in 32 bits.
constexpr uint64_t kMaxSetupSize = 0x7FFFFFFF;
// Included files are copied through a buffer of this size, so memory does not grow with them.
constexpr size_t kCopyChunk = 256 * 1024;

// Appends the covered range to the output, keeping its CRC-32 (zlib's, the launcher's
// algorithm at memory speed) and length.
class CoveredRange {
public:
  explicit CoveredRange(OutputFile& output) : output_(output) {}
  void append(const uint8_t* bytes, size_t size, const fs::path& origin) {
    reserve(size, origin);
    output_.append(bytes, size);
    crc_ = ::crc32(crc_, bytes, static_cast<uInt>(size));
    length_ += size;
  }
  void append(const std::vector<uint8_t>& bytes, const fs::path& origin) {
    append(bytes.data(), bytes.size(), origin);
  }
  // Refuses, before anything of it is written, data that would make the file too large.
  void reserve(uint64_t size, const fs::path& origin) const {
    if (output_.size() + size > kMaxSetupSize)
      throw ToolError{origin, "the setup file would exceed 2 GB, which the launcher cannot read"};
  }
  uint32_t crc() const { return static_cast<uint32_t>(crc_); }
  uint64_t length() const { return length_; }

private:
  OutputFile& output_;
  uLong crc_ = ::crc32(0, nullptr, 0);
  uint64_t length_ = 0;
};

// Appends size bytes of the file, masked with the file mask when masked is set.
void appendStream(CoveredRange& covered, InputFile& input, uint64_t size, bool masked) {
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(size, kCopyChunk)));
  for (uint64_t left = size; left > 0;) {
    size_t count = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
    input.readExactly(chunk.data(), count);
    if (masked) applyFileMask(chunk.data(), count);
    covered.append(chunk.data(), count, input.path());
    left -= count;
  }
}

std::vector<uint8_t> encodeHeader(bool checksum, uint32_t crc, uint64_t coveredLength) {
  RecordWriter writer;
  writer.writeInt(static_cast<int32_t>(payload::kMagic));
  writer.writeInt(checksum ? 1 : 0);
  writer.writeInt(checksum ? static_cast<int32_t>(crc) : 0);
  writer.writeLong(static_cast<int64_t>(coveredLength));
  return std::move(writer.bytes());
}

void appendSizeRecord(CoveredRange& covered, uint64_t size, const fs::path& origin) {
  covered.reserve(8 + size, origin);
  RecordWriter record;
  record.writeLong(static_cast<int64_t>(size));
  covered.append(record.bytes(), origin);
}

void appendFileRecord(CoveredRange& covered, const IncludedFile& file) {
  if (file.content) { // made by the builder, already in memory
    std::vector<uint8_t> data = *file.content;
    appendSizeRecord(covered, data.size(), file.source);
    applyFileMask(data.data(), data.size());
    covered.append(data, file.source);
    return;
  }
  InputFile input(file.source);
  appendSizeRecord(covered, input.size(), file.source);
  appendStream(covered, input, input.size(), true);
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

// The project with its runtime directory packed and included as the last file; a jvm.dll
// in it that the launcher could not load is refused.
Project withBundledRuntime(const Project& project, PeWidth launcher) {
  Project complete = project;
  if (!project.runtime) return complete;
  const fs::path& directory = project.runtime->directory;
  RuntimeArchive archive = packRuntimeDirectory(directory);
  for (const JvmLibrary& library : archive.jvmLibraries)
    if (std::optional<std::string> problem = jvmLibraryProblem(library, launcher, "the stub"))
      throw ToolError{directory / fs::u8path(library.name), *problem};
  IncludedFile file{kRuntimeArchiveName, directory,
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
  PreparedStub stub = prepareStub(readFileBytes(stubFile), stubFile);
  Project project = withBundledRuntime(original, stub.width);
  BuildSummary summary;
  summary.launcher = stub.width;
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
  if (project.javaData) {
    InputFile javaData(*project.javaData);
    covered.reserve(javaData.size(), javaData.path());
    appendStream(covered, javaData, javaData.size(), false);
  }
  setup.overwrite(summary.payloadStart, encodeHeader(project.checksum, covered.crc(), covered.length()));
  summary.setupSize = setup.size();
  setup.commit();
  return summary;
}

} // namespace lnx::pack
