#include "lnxpack/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

std::string errnoText() { return std::strerror(errno); }

} // namespace

int FileDescriptor::close() {
  if (fd_ < 0) return 0;
  int result = ::close(fd_);
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
  // Without O_NONBLOCK a FIFO would block here before the regular-file check refuses it.
  fd_.reset(::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd_.get() < 0) throw ToolError{file_, "cannot read: " + errnoText()};
  struct stat status {};
  if (::fstat(fd_.get(), &status) != 0) throw ToolError{file_, "cannot read: " + errnoText()};
  if (!S_ISREG(status.st_mode)) throw ToolError{file_, "cannot read: not a regular file"};
  size_ = static_cast<uint64_t>(status.st_size);
}

void InputFile::readExactly(uint8_t* buffer, size_t count) {
  while (count > 0) {
    ssize_t got = ::read(fd_.get(), buffer, count);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ToolError{file_, "cannot read: " + errnoText()};
    if (got == 0) throw ToolError{file_, "the file became shorter while it was read; build again"};
    buffer += got;
    count -= static_cast<size_t>(got);
  }
}

OutputFile::OutputFile(fs::path target) : target_(std::move(target)) {
  temporary_ = target_;
  temporary_ += ".tmp-" + std::to_string(::getpid());
  removeOnSignal_.emplace(temporary_); // before the file exists, so no signal can miss it
  // Never another's file: a leftover of a killed build with our process id is refused.
  fd_.reset(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd_.get() < 0 && errno == EEXIST)
    throw ToolError{target_, temporary_.filename().string() + " is in the way (left by a killed build?): remove it"};
  if (fd_.get() < 0) failWithErrno("cannot create");
  created_ = true;
}

OutputFile::~OutputFile() {
  if (!created_ || committed_) return;
  fd_.close();
  ::unlink(temporary_.c_str());
}

void OutputFile::append(const uint8_t* data, size_t size) {
  size_t left = size;
  while (left > 0) {
    ssize_t written = ::write(fd_.get(), data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) failWithErrno("cannot write");
    data += written;
    left -= static_cast<size_t>(written);
  }
  size_ += size;
}

void OutputFile::overwrite(uint64_t offset, const std::vector<uint8_t>& bytes) {
  if (offset + bytes.size() > size_) throw ToolError{target_, "internal: overwrite beyond the written data"};
  if (::pwrite(fd_.get(), bytes.data(), bytes.size(), static_cast<off_t>(offset)) !=
      static_cast<ssize_t>(bytes.size()))
    failWithErrno("cannot write");
}

void OutputFile::commit() {
  if (fd_.close() != 0) failWithErrno("cannot write");
  if (::rename(temporary_.c_str(), target_.c_str()) != 0)
    throw ToolError{target_, "cannot replace with " + temporary_.filename().string() + ": " + errnoText()};
  committed_ = true;
  removeOnSignal_.reset();
}

void OutputFile::failWithErrno(const char* operation) const {
  throw ToolError{target_, std::string(operation) + " " + temporary_.filename().string() + ": " + errnoText()};
}

} // namespace lnx::pack
