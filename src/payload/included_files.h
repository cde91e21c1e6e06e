#pragma once
// The included files' names and records, without the platform.
#include <cstdint>
#include <string>
#include <vector>

#include "payload/byte_source.h"

namespace lnx {

// The names of configuration 2003, split at ";" (consecutive separators give no empty name).
std::vector<std::string> splitIncludedNames(const std::string& names);

// A name stays inside the extraction directory: relative, without a ".." component, a
// drive or a leading separator.
bool isSafeIncludedName(const std::string& name);

// The directory part of a name with one backslash ("images" of "images\logo.png"), else empty.
std::string includedNameDirectory(const std::string& name);

// Where extracted bytes go.
class ByteSink {
public:
  virtual ~ByteSink() = default;
  // Writes up to count bytes; false with the platform's error when the call failed.
  virtual bool write(const uint8_t* data, uint32_t count, uint32_t& written, uint32_t& systemError) = 0;
};

enum CopyResult { kCopied = 0, kReadFailed = 1, kWriteFailed = 2 };

// Copies length bytes from the source's position in chunks of up to 256 KB, XOR-ing each byte
// with the file mask when unscramble is set. Failures are logged.
int copyBlock(ByteSource& from, ByteSink& to, int64_t length, bool unscramble);

} // namespace lnx
