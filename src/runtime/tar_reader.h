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

// The size field's number: leading blanks skipped, then octal digits up to a zero byte, a
// blank or the end of the field (what follows a zero byte or a blank is not read). False for
// any other character (GNU's base-256 form of sizes of 8 GiB and more among them) and for a
// number that does not fit.
bool parseOctalField(const char* text, size_t length, uint64_t& value);

// An archive name that stays inside the target directory: not empty, no drive, no leading
// separator, no ".." component (either separator).
bool isSafeArchiveName(const std::string& name);

// The records of a pax extended header that the reader honours ("path", "size"); false
// when the records are malformed or the size does not fit a signed 64-bit count.
struct PaxRecords {
  std::string path;
  bool hasSize = false;
  uint64_t size = 0;
};
bool parsePaxRecords(const std::string& data, PaxRecords& records);

// zlib's gzip reader as the tar reader uses it. A stream cut short is an error, not an end:
// only a stream that ended cleanly has an end.
class GzipInput {
public:
  virtual ~GzipInput() = default;
  virtual int read(void* buffer, unsigned length) = 0; // bytes read, 0 at the end, -1 on error
  // Forward; false on an error and for a negative count. A skip past the end stops there.
  virtual bool skip(int64_t count) = 0;
  virtual int64_t position() = 0; // uncompressed bytes so far
  virtual bool atEnd() = 0;
};

class TarFileWriter {
public:
  virtual ~TarFileWriter() = default;
  virtual size_t write(const char* data, size_t count) = 0; // bytes written
  virtual bool failed() = 0;
  // After the last write: false when the file's last bytes could not be written (a full
  // disk shows here at the latest). A writer with nothing to flush has nothing to report.
  virtual bool close() { return true; }
};

// Where the entries go: names relative to the target directory, in the archive's own
// separators for long names and with "\" for header names.
class TarTarget {
public:
  virtual ~TarTarget() = default;
  virtual void createDirectory(const std::string& name) = 0; // errors are ignored
  // No writer when the file cannot be created: the target has said why, the extraction
  // stops there, and its caller ends the run once the archive is closed.
  virtual std::unique_ptr<TarFileWriter> createFile(const std::string& name) = 0;
  // Progress for the dialog (position 100 to 200); a target without one ignores it.
  virtual void setProgress(int position) = 0;
  virtual uint32_t tickCount() = 0;
};

// Reads the whole archive into target; true when its end (a block without the ustar magic,
// as the end blocks are, or the clean end of the stream where a header would start) was
// reached after at least one regular file. expectedSize (the uncompressed size) scales the
// progress.
bool untarStream(GzipInput& input, TarTarget& target, int64_t expectedSize);

} // namespace lnx
