#pragma once
// The Payload's primitive records, read one exact-size read at a time. A failed or short
// read throws PayloadReadError with the reader's text ("Internal Error: readInt", ...);
// the launcher turns it into its fatal exit, the builder into an error message.
#include <cstdint>
#include <string>

#include "payload/byte_source.h"

namespace lnx {

struct PayloadReadError {
  std::wstring text;
};

class RecordReader {
public:
  explicit RecordReader(ByteSource& source) : source_(source) {}

  int32_t readInt();
  int64_t readLong();
  int16_t readShort();
  // A length that is negative, runs past the end of the data or (for wide text) is odd is
  // a read failure, never an allocation of that size.
  std::string readString();
  std::wstring readWString();

  void seek(uint64_t position) { source_.seek(position); }
  uint64_t position() const { return source_.position(); }
  ByteSource& source() { return source_; }

private:
  bool readExact(void* buffer, uint32_t count, ReadResult& result);
  ByteSource& source_;
};

// Walks the PE headers (logging what it finds) and leaves the reader at the first byte
// after the raw data of the last section header; returns that position.
uint32_t seekPayloadStart(RecordReader& reader);

} // namespace lnx
