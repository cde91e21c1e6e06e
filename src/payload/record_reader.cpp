#include "payload/record_reader.h"

#include <vector>

#include "log/log.h"
#include "payload/payload_format.h"
#include "text/utf16.h"

namespace lnx {

namespace {

template <class T> T littleEndian(const uint8_t* bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return static_cast<T>(value);
}

[[noreturn]] void fail(const wchar_t* text) { throw PayloadReadError{text}; }

} // namespace

bool RecordReader::readExact(void* buffer, uint32_t count, ReadResult& result) {
  result = source_.read(buffer, count);
  return result.ok && result.bytesRead == count;
}

int32_t RecordReader::readInt() {
  uint8_t bytes[4];
  ReadResult result;
  if (!readExact(bytes, sizeof bytes, result)) {
    logPrint(L"error %d %d\n", result.systemError, result.bytesRead);
    fail(L"Internal Error: readInt");
  }
  return littleEndian<int32_t>(bytes);
}

int64_t RecordReader::readLong() {
  uint8_t bytes[8];
  ReadResult result;
  if (!readExact(bytes, sizeof bytes, result)) {
    logPrint(L"error %d\n", result.systemError);
    fail(L"Internal Error: readLong");
  }
  return littleEndian<int64_t>(bytes);
}

int16_t RecordReader::readShort() {
  uint8_t bytes[2];
  ReadResult result;
  if (!readExact(bytes, sizeof bytes, result)) {
    logPrint(L"error %d\n", result.systemError);
    fail(L"Internal Error: readShort");
  }
  return littleEndian<int16_t>(bytes);
}

std::string RecordReader::readString() {
  int32_t length = readInt();
  uint64_t here = source_.position();
  uint64_t remaining = here < source_.size() ? source_.size() - here : 0;
  if (length < 0 || static_cast<uint64_t>(length) > remaining) fail(L"Internal Error: readString");
  std::string text(static_cast<size_t>(length), '\0');
  ReadResult result;
  if (length > 0 && !readExact(&text[0], static_cast<uint32_t>(length), result))
    fail(L"Internal Error: readString");
  return text;
}

std::wstring RecordReader::readWString() {
  int32_t length = readInt();
  uint64_t here = source_.position();
  uint64_t remaining = here < source_.size() ? source_.size() - here : 0;
  if (length < 0 || length % 2 != 0 || static_cast<uint64_t>(length) > remaining)
    fail(L"Internal Error: readWString");
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  ReadResult result;
  if (length > 0 && !readExact(bytes.data(), static_cast<uint32_t>(length), result))
    fail(L"Internal Error: readWString");
  return decodeUtf16Le(bytes.data(), bytes.size());
}

uint32_t seekPayloadStart(RecordReader& reader) {
  using namespace payload;
  reader.seek(kPeSignatureOffsetField);
  uint32_t peOffset = static_cast<uint32_t>(reader.readInt());
  reader.seek(peOffset + kSectionCountField);
  int sectionCount = reader.readShort();
  logPrint(L"number of sections: %d", sectionCount);
  reader.seek(peOffset + kOptionalHeaderSizeField);
  int optionalHeaderSize = reader.readShort();
  logPrint(L"size of optional headers: %d", optionalHeaderSize);
  uint32_t lastSectionHeader =
      peOffset + kSectionTableOffset + optionalHeaderSize + kSectionHeaderSize * (sectionCount - 1);
  logPrint(L"resSectionTableStart: %d", static_cast<int32_t>(lastSectionHeader));
  reader.seek(lastSectionHeader + kSectionRawSizeField);
  int32_t rawDataSize = reader.readInt();
  reader.seek(lastSectionHeader + kSectionRawOffsetField);
  int32_t rawDataOffset = reader.readInt();
  logPrint(L"rawDataSize: %d, rawDataOffset: %d", rawDataSize, rawDataOffset);
  // 32-bit positions: executables beyond 2 GB are not supported.
  uint32_t payloadStart = static_cast<uint32_t>(rawDataOffset) + static_cast<uint32_t>(rawDataSize);
  reader.seek(payloadStart);
  return payloadStart;
}

} // namespace lnx
