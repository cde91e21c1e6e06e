#include "runtime/gzip_file.h"

#include <cstdio>
#include <zlib.h>

namespace lnx {

namespace {

gzFile gz(void* file) { return static_cast<gzFile>(file); }

// zlib's gzread gives 0 at a cut as at the end; only gzerror tells them apart (Z_BUF_ERROR,
// "unexpected end of file").
bool inError(void* file) {
  int error = Z_OK;
  gzerror(gz(file), &error);
  return error != Z_OK;
}

} // namespace

GzipFile::GzipFile(const std::string& path) : file_(gzopen(path.c_str(), "rb")) {}

GzipFile::~GzipFile() {
  if (file_) gzclose(gz(file_));
}

int GzipFile::read(void* buffer, unsigned length) {
  int got = gzread(gz(file_), buffer, length);
  return got == 0 && inError(file_) ? -1 : got;
}

bool GzipFile::skip(int64_t count) {
  if (count < 0) return false; // gzseek would go back and read the same bytes again
  // gzseek takes a long: far skips go in steps.
  while (count > 0) {
    long step = static_cast<long>(count > 0x40000000 ? 0x40000000 : count);
    if (gzseek(gz(file_), step, SEEK_CUR) == -1) return false;
    count -= step;
  }
  return true;
}

int64_t GzipFile::position() { return gztell(gz(file_)); }

bool GzipFile::atEnd() { return gzeof(gz(file_)) != 0 && !inError(file_); }

} // namespace lnx
