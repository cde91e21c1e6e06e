#include "lnxpack/file_access.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx::pack::platform {

int openForReading(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

int createNewFile(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int regularFileSize(int fd, uint64_t& size) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return -1;
  size = static_cast<uint64_t>(status.st_size);
  return S_ISREG(status.st_mode) ? 1 : 0;
}

long long readSome(int fd, uint8_t* buffer, size_t count) {
  ssize_t got;
  do got = ::read(fd, buffer, count);
  while (got < 0 && errno == EINTR);
  return got;
}

long long writeSome(int fd, const uint8_t* data, size_t count) {
  ssize_t written;
  do written = ::write(fd, data, count);
  while (written < 0 && errno == EINTR);
  return written;
}

bool writeAt(int fd, uint64_t offset, const uint8_t* data, size_t count) {
  return ::pwrite(fd, data, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count);
}

int closeFile(int fd) { return ::close(fd); }

long processId() { return static_cast<long>(::getpid()); }

} // namespace lnx::pack::platform
