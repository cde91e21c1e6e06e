#pragma once
// The platform's side of file_io.cpp (file_access_host.cpp, file_access_win32.cpp): C
// runtime descriptors in binary mode, never inherited by child processes. Failures return
// -1 (or false) with errno set.
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace lnx::pack::platform {

// Opens for reading without blocking on a FIFO, so that the regular-file check can refuse it.
int openForReading(const std::filesystem::path& file);
// Creates the file for writing, failing with EEXIST when it exists. While open it can be
// removed (by the interrupt handler of signal_cleanup).
int createNewFile(const std::filesystem::path& file);
// 1 with size set for a regular file, 0 for anything else, -1 on failure.
int regularFileSize(int fd, uint64_t& size);
// The bytes read or written by one call (0 at the end of the file); interrupted calls are retried.
long long readSome(int fd, uint8_t* buffer, size_t count);
long long writeSome(int fd, const uint8_t* data, size_t count);
// Writes all count bytes at offset.
bool writeAt(int fd, uint64_t offset, const uint8_t* data, size_t count);
int closeFile(int fd);
long processId();

} // namespace lnx::pack::platform
