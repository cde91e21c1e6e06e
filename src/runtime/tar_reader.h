#pragma once
// The tar reader of the runtime archive: regular files, directories and GNU long names
// (plus the POSIX name prefix and pax path and size records, so that archives of the usual
// tools extract under their real names), streamed in 32 KB chunks out of a gzip reader.
// The stream, the files and the clock come in through interfaces; no entry is held in
// memory.
#include <cstdint>
#include <memory>
#include <string>

namespace lnx {

constexpr size_t kTarBlock = 512;
constexpr size_t kTarCopyChunk = 32768;
constexpr size_t kTarNameBuffer = 6000; // a long name with its terminating zero

// The size field's number: leading blanks and "0" skipped, a zero byte ends it, a blank after
// the first digit ends it, every other character counts as a digit unchecked.
uint64_t parseOctalField(const char* text, size_t length);

// An archive name that stays inside the target directory: not empty, no drive, no leading
// separator, no ".." component (either separator).
bool isSafeArchiveName(const std::string& name);

// The records of a pax extended header that the reader honours ("path", "size"); false
// when the records are malformed.
struct PaxRecords {
  std::string path;
  bool hasSize = false;
  uint64_t size = 0;
};
bool parsePaxRecords(const std::string& data, PaxRecords& records);

// zlib's gzip reader as the tar reader uses it.
class GzipInput {
public:
  virtual ~GzipInput() = default;
  virtual int read(void* buffer, unsigned length) = 0; // bytes read, 0 at the end, -1 on error
  virtual bool skip(int64_t count) = 0;                // forward seek; false on error
  virtual int64_t position() = 0;                      // uncompressed bytes so far
  virtual bool atEnd() = 0;
};

class TarFileWriter {
public:
  virtual ~TarFileWriter() = default;
  virtual size_t write(const char* data, size_t count) = 0; // bytes written
  virtual bool failed() = 0;
};

// Where the entries go: names relative to the target directory, in the archive's own
// separators for long names and with "\" for header names.
class TarTarget {
public:
  virtual ~TarTarget() = default;
  virtual void createDirectory(const std::string& name) = 0; // errors are ignored
  // Never returns without a writer: a file that cannot be created ends the run.
  virtual std::unique_ptr<TarFileWriter> createFile(const std::string& name) = 0;
  // Progress for the dialog (position 100 to 200); a target without one ignores it.
  virtual void setProgress(int position) = 0;
  virtual uint32_t tickCount() = 0;
};

// Reads the whole archive into target; true when its end was reached cleanly after at least
// one regular file. expectedSize (the uncompressed size) scales the progress.
bool untarStream(GzipInput& input, TarTarget& target, int64_t expectedSize);

} // namespace lnx
