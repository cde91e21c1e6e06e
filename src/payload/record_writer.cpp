#include "payload/record_writer.h"

#include "text/utf16.h"

namespace lnx {

namespace {
template <class T> void putLittleEndian(std::vector<uint8_t>& out, T value) {
  uint64_t bits = static_cast<uint64_t>(value);
  for (size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}
} // namespace

void RecordWriter::writeInt(int32_t value) { putLittleEndian(bytes_, value); }
void RecordWriter::writeLong(int64_t value) { putLittleEndian(bytes_, value); }

void RecordWriter::writeString(const std::string& narrow) {
  writeInt(static_cast<int32_t>(narrow.size()));
  bytes_.insert(bytes_.end(), narrow.begin(), narrow.end());
}

void RecordWriter::writeWString(const std::wstring& wide) {
  std::string utf16 = encodeUtf16Le(wide);
  writeInt(static_cast<int32_t>(utf16.size()));
  bytes_.insert(bytes_.end(), utf16.begin(), utf16.end());
}

void RecordWriter::writeBytes(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }

} // namespace lnx
