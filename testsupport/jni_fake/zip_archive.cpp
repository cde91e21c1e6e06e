#include "zip_archive.h"

#include <zlib.h>

namespace jnifake {

namespace {

constexpr uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr uint32_t kDirectoryEntrySignature = 0x02014b50;
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndOfDirectorySize = 22;
constexpr size_t kDirectoryEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kLongestArchiveComment = 0xFFFF;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

// Little-endian fields; reads past the end yield nothing.
class Fields {
public:
  explicit Fields(const std::string& bytes) : bytes_(bytes) {}
  bool has(size_t offset, size_t length) const { return offset <= bytes_.size() && length <= bytes_.size() - offset; }
  std::optional<uint32_t> u16(size_t offset) const { return value(offset, 2); }
  std::optional<uint32_t> u32(size_t offset) const { return value(offset, 4); }

private:
  std::optional<uint32_t> value(size_t offset, size_t length) const {
    if (!has(offset, length))
      return std::nullopt;
    uint32_t result = 0;
    for (size_t index = length; index-- > 0;)
      result = (result << 8) | static_cast<unsigned char>(bytes_[offset + index]);
    return result;
  }
  const std::string& bytes_;
};

std::optional<size_t> findEndOfDirectory(const Fields& fields, size_t size) {
  if (size < kEndOfDirectorySize)
    return std::nullopt;
  size_t last = size - kEndOfDirectorySize;
  size_t lowest = last > kLongestArchiveComment ? last - kLongestArchiveComment : 0;
  for (size_t offset = last + 1; offset-- > lowest;)
    if (fields.u32(offset) == kEndOfDirectorySignature)
      return offset;
  return std::nullopt;
}

std::optional<std::string> inflateRaw(const char* data, uint32_t compressedSize, uint32_t size) {
  std::string out(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
    return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
  stream.avail_in = compressedSize;
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = size;
  int result = inflate(&stream, Z_FINISH);
  bool complete = result == Z_STREAM_END && stream.total_out == size;
  inflateEnd(&stream);
  return complete ? std::optional<std::string>(std::move(out)) : std::nullopt;
}

} // namespace

std::optional<ZipArchive> ZipArchive::open(std::string bytes) {
  ZipArchive archive;
  archive.bytes_ = std::move(bytes);
  Fields fields(archive.bytes_);
  std::optional<size_t> end = findEndOfDirectory(fields, archive.bytes_.size());
  if (!end)
    return std::nullopt;
  uint32_t count = *fields.u16(*end + 10);
  size_t offset = *fields.u32(*end + 16);
  for (uint32_t index = 0; index < count; ++index) {
    if (fields.u32(offset) != kDirectoryEntrySignature || !fields.has(offset, kDirectoryEntrySize))
      return std::nullopt;
    Entry entry;
    entry.method = static_cast<uint16_t>(*fields.u16(offset + 10));
    entry.crc = *fields.u32(offset + 16);
    entry.compressedSize = *fields.u32(offset + 20);
    entry.size = *fields.u32(offset + 24);
    entry.localHeaderOffset = *fields.u32(offset + 42);
    size_t nameLength = *fields.u16(offset + 28);
    size_t skipped = *fields.u16(offset + 30) + *fields.u16(offset + 32);
    if (!fields.has(offset + kDirectoryEntrySize, nameLength + skipped))
      return std::nullopt;
    archive.entries_[archive.bytes_.substr(offset + kDirectoryEntrySize, nameLength)] = entry;
    offset += kDirectoryEntrySize + nameLength + skipped;
  }
  return archive;
}

std::optional<std::string> ZipArchive::read(const std::string& name) const {
  auto found = entries_.find(name);
  if (found == entries_.end())
    return std::nullopt;
  const Entry& entry = found->second;
  Fields fields(bytes_);
  size_t header = entry.localHeaderOffset;
  if (fields.u32(header) != kLocalHeaderSignature || !fields.has(header, kLocalHeaderSize))
    return std::nullopt;
  size_t data = header + kLocalHeaderSize + *fields.u16(header + 26) + *fields.u16(header + 28);
  if (!fields.has(data, entry.compressedSize))
    return std::nullopt;
  std::optional<std::string> content;
  if (entry.method == kStored && entry.compressedSize == entry.size)
    content = bytes_.substr(data, entry.size);
  else if (entry.method == kDeflated)
    content = inflateRaw(bytes_.data() + data, entry.compressedSize, entry.size);
  if (!content ||
      crc32(0, reinterpret_cast<const Bytef*>(content->data()), static_cast<uInt>(content->size())) != entry.crc)
    return std::nullopt;
  return content;
}

} // namespace jnifake
