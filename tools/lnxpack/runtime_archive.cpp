#include "lnxpack/runtime_archive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "lnxpack/tool_error.h"
#include "log/log.h"
#include "runtime/tar_reader.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

constexpr size_t kBlock = 512;
constexpr size_t kChunk = 1 << 16;

// Feeds the tar stream through deflate with a gzip wrapper.
class GzipWriter {
public:
  explicit GzipWriter(std::vector<uint8_t>& out) : out_(out) {
    // 31: a gzip header and trailer around the deflate data; level 6 as gzip itself.
    if (deflateInit2(&stream_, 6, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
    // No time, and "unknown" for the system byte, which zlib would otherwise fill with
    // the one it was built for: lnxpack and lnxpack.exe give the same bytes.
    header_.os = 255;
    deflateSetHeader(&stream_, &header_);
  }
  ~GzipWriter() { deflateEnd(&stream_); }
  GzipWriter(const GzipWriter&) = delete;
  GzipWriter& operator=(const GzipWriter&) = delete;

  void write(const char* data, size_t size) {
    tarSize_ += size;
    pump(data, size, Z_NO_FLUSH);
  }
  void finish() { pump(nullptr, 0, Z_FINISH); }
  uint64_t tarSize() const { return tarSize_; }

private:
  void pump(const char* data, size_t size, int flush) {
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream_.avail_in = static_cast<uInt>(size);
    std::array<uint8_t, kChunk> buffer;
    int status;
    do {
      stream_.next_out = buffer.data();
      stream_.avail_out = static_cast<uInt>(buffer.size());
      status = deflate(&stream_, flush);
      out_.insert(out_.end(), buffer.data(), buffer.data() + (buffer.size() - stream_.avail_out));
    } while (stream_.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  }

  std::vector<uint8_t>& out_;
  z_stream stream_{};
  gz_header header_{}; // read by deflate until the header is out
  uint64_t tarSize_ = 0;
};

void putOctal(char* field, size_t width, uint64_t value) {
  std::snprintf(field, width, "%0*llo", static_cast<int>(width - 1), static_cast<unsigned long long>(value));
}

// The mode is fixed by the entry's kind: what a system reports of execute permission
// differs (Windows derives it from the name's extension), and the launcher does not read it.
std::array<char, kBlock> header(const std::string& name, char type, uint64_t size) {
  std::array<char, kBlock> block{};
  std::memcpy(block.data(), name.data(), std::min<size_t>(name.size(), 100));
  putOctal(&block[100], 8, type == '5' ? 0755 : 0644);
  putOctal(&block[108], 8, 0);
  putOctal(&block[116], 8, 0);
  putOctal(&block[124], 12, size);
  putOctal(&block[136], 12, 0);
  block[156] = type;
  std::memcpy(&block[257], "ustar  ", 8); // the GNU magic and version
  std::memset(&block[148], ' ', 8);
  unsigned sum = 0;
  for (char c : block)
    sum += static_cast<unsigned char>(c);
  std::snprintf(&block[148], 8, "%06o", sum);
  block[155] = ' ';
  return block;
}

class TarWriter {
public:
  explicit TarWriter(GzipWriter& gzip) : gzip_(gzip) {}

  void entry(const std::string& name, char type, uint64_t size) {
    if (name.size() > 100) {
      std::string data = name + '\0';
      write(header("././@LongLink", 'L', data.size()));
      gzip_.write(data.data(), data.size());
      pad(data.size());
    }
    write(header(name, type, size));
  }
  void data(const char* bytes, size_t size) { gzip_.write(bytes, size); }
  void pad(uint64_t size) {
    static const char zeros[kBlock] = {};
    if (size % kBlock) gzip_.write(zeros, kBlock - size % kBlock);
  }
  void end() {
    static const char zeros[2 * kBlock] = {};
    gzip_.write(zeros, sizeof zeros);
  }

private:
  void write(const std::array<char, kBlock>& block) { gzip_.write(block.data(), block.size()); }
  GzipWriter& gzip_;
};

// Copies the file into the archive; its first bytes also into header, when given.
void addFile(TarWriter& tar, const fs::path& file, const std::string& name, PeTargetPrefix* header) {
  std::ifstream in(file, std::ios::binary);
  std::error_code error;
  uint64_t size = fs::file_size(file, error);
  if (!in || error) throw ToolError{file, "cannot read the file"};
  tar.entry(name, '0', size);
  std::vector<char> chunk(kChunk);
  uint64_t copied = 0;
  while (copied < size) {
    in.read(chunk.data(), static_cast<std::streamsize>(std::min<uint64_t>(chunk.size(), size - copied)));
    if (in.gcount() <= 0) throw ToolError{file, "the file changed while it was packed"};
    tar.data(chunk.data(), static_cast<size_t>(in.gcount()));
    if (header) header->add(reinterpret_cast<const uint8_t*>(chunk.data()), static_cast<size_t>(in.gcount()));
    copied += static_cast<uint64_t>(in.gcount());
  }
  tar.pad(size);
}

// The archive's bytes through inflate, as zlib's gzip reader would hand them out.
class GzipBytes : public GzipInput {
public:
  explicit GzipBytes(const std::vector<uint8_t>& gzip) {
    stream_.next_in = const_cast<Bytef*>(gzip.data());
    stream_.avail_in = static_cast<uInt>(gzip.size());
    ok_ = inflateInit2(&stream_, 31) == Z_OK;
  }
  ~GzipBytes() override { inflateEnd(&stream_); }
  GzipBytes(const GzipBytes&) = delete;
  GzipBytes& operator=(const GzipBytes&) = delete;

  int read(void* buffer, unsigned length) override {
    if (!ok_) return -1;
    stream_.next_out = static_cast<Bytef*>(buffer);
    stream_.avail_out = length;
    while (stream_.avail_out > 0 && !ended_) {
      int status = inflate(&stream_, Z_NO_FLUSH);
      if (status == Z_STREAM_END)
        ended_ = true;
      else if (status != Z_OK)
        return -1;
      if (status == Z_OK && stream_.avail_in == 0 && stream_.avail_out > 0) return -1; // cut short
    }
    return static_cast<int>(length - stream_.avail_out);
  }
  bool skip(int64_t count) override {
    std::vector<char> scratch(kChunk);
    while (count > 0) {
      int got = read(scratch.data(), static_cast<unsigned>(std::min<int64_t>(count, kChunk)));
      if (got < 0) return false;
      if (got == 0) return true; // as gzseek, a skip past the end stops there
      count -= got;
    }
    return true;
  }
  int64_t position() override { return static_cast<int64_t>(stream_.total_out); }
  bool atEnd() override { return ended_; }

private:
  z_stream stream_{};
  bool ok_ = false;
  bool ended_ = false;
};

// Counts what the reader unpacks, keeping only the first bytes of each jvm.dll.
class CountingTarget : public TarTarget {
public:
  explicit CountingTarget(RuntimeArchiveCheck& check) : check_(check) {}
  void createDirectory(const std::string&) override { ++check_.directories; }
  std::unique_ptr<TarFileWriter> createFile(const std::string& name) override {
    ++check_.files;
    if (!isJvmLibraryName(name)) return std::make_unique<Discard>(nullptr);
    headers_.push_back({name, std::make_unique<PeTargetPrefix>()});
    return std::make_unique<Discard>(headers_.back().second.get());
  }
  void setProgress(int) override {}
  uint32_t tickCount() override { return 0; }
  // The jvm.dll files met so far, as far as they were unpacked.
  std::vector<JvmLibrary> jvmLibraries() const {
    std::vector<JvmLibrary> libraries;
    for (const auto& [name, header] : headers_)
      libraries.push_back(readJvmLibrary(name, *header));
    return libraries;
  }

private:
  class Discard : public TarFileWriter {
  public:
    explicit Discard(PeTargetPrefix* header) : header_(header) {}
    size_t write(const char* data, size_t count) override {
      if (header_) header_->add(reinterpret_cast<const uint8_t*>(data), count);
      return count;
    }
    bool failed() override { return false; }

  private:
    PeTargetPrefix* header_;
  };
  RuntimeArchiveCheck& check_;
  std::vector<std::pair<std::string, std::unique_ptr<PeTargetPrefix>>> headers_;
};

std::wstring* firstProblem = nullptr; // the log sink of the check below

void recordProblem(LineKind kind, const std::wstring& line) {
  if (kind == LineKind::Error && firstProblem && firstProblem->empty()) *firstProblem = line;
}

} // namespace

RuntimeArchiveCheck checkRuntimeArchive(const std::vector<uint8_t>& gzip) {
  RuntimeArchiveCheck check;
  std::wstring problem;
  firstProblem = &problem;
  setLogSink(recordProblem);
  GzipBytes input(gzip);
  CountingTarget target(check);
  check.extractsCleanly = untarStream(input, target, 0);
  setLogSink(nullptr);
  firstProblem = nullptr;
  check.tarBytes = static_cast<uint64_t>(input.position());
  check.problem.assign(problem.begin(), problem.end()); // the reader's texts are ASCII
  check.jvmLibraries = target.jvmLibraries();
  return check;
}

RuntimeArchive packRuntimeDirectory(const fs::path& directory) {
  std::error_code error;
  if (!fs::is_directory(directory, error)) throw ToolError{directory, "not a directory"};
  // By entry name ("/"-separated UTF-8 on every platform), so that the order is the same
  // wherever the directory is packed.
  std::map<std::string, fs::path> paths;
  for (fs::recursive_directory_iterator it(directory, fs::directory_options::follow_directory_symlink, error), end;
       !error && it != end; it.increment(error))
    paths.emplace(it->path().lexically_relative(directory).generic_u8string(), it->path());
  if (error) throw ToolError{directory, "cannot list the directory: " + error.message()};

  RuntimeArchive archive;
  GzipWriter gzip(archive.gzip);
  TarWriter tar(gzip);
  for (const auto& [name, path] : paths) {
    if (fs::is_directory(path)) {
      tar.entry(name + "/", '5', 0);
    } else if (fs::is_regular_file(path) && isJvmLibraryName(name)) {
      PeTargetPrefix header;
      addFile(tar, path, name, &header);
      archive.jvmLibraries.push_back(readJvmLibrary(name, header));
    } else if (fs::is_regular_file(path)) {
      addFile(tar, path, name, nullptr);
    } else {
      continue; // sockets, devices and dangling links have no place in a runtime
    }
    ++archive.entries;
  }
  tar.end();
  gzip.finish();
  archive.tarSize = gzip.tarSize();
  return archive;
}

} // namespace lnx::pack
