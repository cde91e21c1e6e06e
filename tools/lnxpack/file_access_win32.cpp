#include "lnxpack/file_access.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

namespace lnx::pack::platform {

namespace {

// The few failures of CreateFileW that the builder words differently; the rest read as
// an input/output error.
int errnoOf(DWORD error) {
  switch (error) {
  case ERROR_FILE_EXISTS:
  case ERROR_ALREADY_EXISTS:
    return EEXIST;
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
    return ENOENT;
  case ERROR_ACCESS_DENIED:
  case ERROR_SHARING_VIOLATION:
    return EACCES;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    return ENOSPC;
  default:
    return EIO;
  }
}

} // namespace

int openForReading(const std::filesystem::path& file) {
  return ::_wopen(file.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int createNewFile(const std::filesystem::path& file) {
  // CreateFileW rather than _wopen: the C runtime does not share delete access, which the
  // console interrupt handler needs to remove the file while it is open.
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = errnoOf(GetLastError());
    return -1;
  }
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) CloseHandle(handle);
  return fd;
}

int regularFileSize(int fd, uint64_t& size) {
  struct _stat64 status {};
  if (::_fstat64(fd, &status) != 0) return -1;
  size = static_cast<uint64_t>(status.st_size);
  return (status.st_mode & _S_IFMT) == _S_IFREG ? 1 : 0;
}

long long readSome(int fd, uint8_t* buffer, size_t count) {
  return ::_read(fd, buffer, static_cast<unsigned>(std::min<size_t>(count, 1u << 30)));
}

long long writeSome(int fd, const uint8_t* data, size_t count) {
  return ::_write(fd, data, static_cast<unsigned>(std::min<size_t>(count, 1u << 30)));
}

bool writeAt(int fd, uint64_t offset, const uint8_t* data, size_t count) {
  if (::_lseeki64(fd, static_cast<__int64>(offset), SEEK_SET) < 0) return false;
  for (size_t left = count; left > 0;) {
    long long written = writeSome(fd, data, left);
    if (written <= 0) return false;
    data += written;
    left -= static_cast<size_t>(written);
  }
  return ::_lseeki64(fd, 0, SEEK_END) >= 0; // later appends go to the end again
}

int closeFile(int fd) { return ::_close(fd); }

long processId() { return static_cast<long>(::_getpid()); }

} // namespace lnx::pack::platform
