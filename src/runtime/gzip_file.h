#pragma once
// A gzip file read through zlib's gzip reader, as the tar reader wants it: a stream cut short
// reads as an error once its last bytes are read, and only a clean end is an end. The file is
// closed with the object.
#include <string>

#include "runtime/tar_reader.h"

namespace lnx {

class GzipFile : public GzipInput {
public:
  // Opens with gzopen mode "rb"; check isOpen().
  explicit GzipFile(const std::string& path);
  ~GzipFile() override;
  GzipFile(const GzipFile&) = delete;
  GzipFile& operator=(const GzipFile&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  int read(void* buffer, unsigned length) override;
  bool skip(int64_t count) override;
  int64_t position() override;
  bool atEnd() override;

private:
  void* file_; // gzFile
};

} // namespace lnx
