#include "lnxpack/file_io.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "lnxpack/file_access.h"
#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

std::string errnoText() { return std::strerror(errno); }

} // namespace

int FileDescriptor::close() {
  if (fd_ < 0) return 0;
  int result = platform::closeFile(fd_);
  fd_ = -1;
  return result;
}

std::vector<uint8_t> readFileBytes(const fs::path& file) {
  InputFile input(file);
  std::vector<uint8_t> bytes(static_cast<size_t>(input.size()));
  input.readExactly(bytes.data(), bytes.size());
  return bytes;
}

InputFile::InputFile(fs::path file) : file_(std::move(file)) {
  fd_.reset(platform::openForReading(file_));
  if (fd_.get() < 0) throw ToolError{file_, "cannot read: " + errnoText()};
  int regular = platform::regularFileSize(fd_.get(), size_);
  if (regular < 0) throw ToolError{file_, "cannot read: " + errnoText()};
  if (regular == 0) throw ToolError{file_, "cannot read: not a regular file"};
}

void InputFile::readExactly(uint8_t* buffer, size_t count) {
  while (count > 0) {
    long long got = platform::readSome(fd_.get(), buffer, count);
    if (got < 0) throw ToolError{file_, "cannot read: " + errnoText()};
    if (got == 0) throw ToolError{file_, "the file became shorter while it was read; build again"};
    buffer += got;
    count -= static_cast<size_t>(got);
  }
}

OutputFile::OutputFile(fs::path target) : target_(std::move(target)) {
  temporary_ = target_;
  temporary_ += ".tmp-" + std::to_string(platform::processId());
  removeOnSignal_.emplace(temporary_); // before the file exists, so no signal can miss it
  // Never another's file: a leftover of a killed build with our process id is refused.
  fd_.reset(platform::createNewFile(temporary_));
  if (fd_.get() < 0 && errno == EEXIST)
    throw ToolError{target_, temporary_.filename().string() + " is in the way (left by a killed build?): remove it"};
  if (fd_.get() < 0) failWithErrno("cannot create");
  created_ = true;
}

OutputFile::~OutputFile() {
  if (!created_ || committed_) return;
  fd_.close();
  std::error_code ignored; // nothing more to do when it cannot be removed
  std::filesystem::remove(temporary_, ignored);
}

void OutputFile::append(const uint8_t* data, size_t size) {
  size_t left = size;
  while (left > 0) {
    long long written = platform::writeSome(fd_.get(), data, left);
    if (written < 0) failWithErrno("cannot write");
    data += written;
    left -= static_cast<size_t>(written);
  }
  size_ += size;
}

void OutputFile::overwrite(uint64_t offset, const std::vector<uint8_t>& bytes) {
  if (offset + bytes.size() > size_) throw ToolError{target_, "internal: overwrite beyond the written data"};
  if (!platform::writeAt(fd_.get(), offset, bytes.data(), bytes.size())) failWithErrno("cannot write");
}

void OutputFile::commit() {
  if (fd_.close() != 0) failWithErrno("cannot write");
  std::error_code error; // the platform's rename that replaces an existing target
  std::filesystem::rename(temporary_, target_, error);
  if (error) throw ToolError{target_, "cannot replace with " + temporary_.filename().string() + ": " + error.message()};
  committed_ = true;
  removeOnSignal_.reset();
}

void OutputFile::failWithErrno(const char* operation) const {
  throw ToolError{target_, std::string(operation) + " " + temporary_.filename().string() + ": " + errnoText()};
}

} // namespace lnx::pack
