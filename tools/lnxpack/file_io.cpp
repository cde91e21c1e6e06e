#include "lnxpack/file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace fs = std::filesystem;

std::vector<uint8_t> readFileBytes(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) {
    throw ToolError{file, "cannot read: " + (error ? error.message() : std::string("not a regular file"))};
  }
  uintmax_t size = fs::file_size(file, error);
  if (error) throw ToolError{file, "cannot read: " + error.message()};
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    throw ToolError{file, "cannot read: " + std::string(std::strerror(errno))};
  return bytes;
}

OutputFile::OutputFile(fs::path target) : target_(std::move(target)), stream_(nullptr, &std::fclose) {
  temporary_ = target_;
  temporary_ += ".tmp-" + std::to_string(::getpid());
  stream_.reset(std::fopen(temporary_.c_str(), "wb"));
  if (!stream_) failWithErrno("cannot create");
}

OutputFile::~OutputFile() {
  if (committed_) return;
  stream_.reset();
  std::error_code ignored;
  fs::remove(temporary_, ignored);
}

void OutputFile::append(const uint8_t* data, size_t size) {
  if (size != 0 && std::fwrite(data, 1, size, stream_.get()) != size) failWithErrno("cannot write");
  size_ += size;
}

void OutputFile::overwrite(uint64_t offset, const std::vector<uint8_t>& bytes) {
  if (offset + bytes.size() > size_) throw ToolError{target_, "internal: overwrite beyond the written data"};
  // The builder keeps setup files below 2 GB, so a long offset is enough.
  if (std::fseek(stream_.get(), static_cast<long>(offset), SEEK_SET) != 0 ||
      std::fwrite(bytes.data(), 1, bytes.size(), stream_.get()) != bytes.size() ||
      std::fseek(stream_.get(), 0, SEEK_END) != 0)
    failWithErrno("cannot write");
}

void OutputFile::commit() {
  if (std::fclose(stream_.release()) != 0) failWithErrno("cannot write");
  std::error_code error;
  fs::rename(temporary_, target_, error);
  if (error)
    throw ToolError{target_,
                    "cannot replace with " + temporary_.filename().string() + ": " + error.message()};
  committed_ = true;
}

void OutputFile::failWithErrno(const char* operation) const {
  throw ToolError{target_, std::string(operation) + " " + temporary_.filename().string() + ": " +
                               std::strerror(errno)};
}

} // namespace lnx::pack
