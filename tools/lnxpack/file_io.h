#pragma once
// Whole-file reads of small inputs, chunked reads of included files, and the
// all-or-nothing output file of the builder.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "lnxpack/signal_cleanup.h"

namespace lnx::pack {

// The file's bytes; throws ToolError naming the file.
std::vector<uint8_t> readFileBytes(const std::filesystem::path& file);

// The owner of one open file descriptor.
class FileDescriptor {
public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() { close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    close();
    fd_ = fd;
  }
  // Returns the result of close(2): 0, or -1 with errno set.
  int close();

private:
  int fd_;
};

// A regular file opened for reading; its size is taken when it is opened. Failures throw
// ToolError naming the file.
class InputFile {
public:
  explicit InputFile(std::filesystem::path file);
  uint64_t size() const { return size_; }
  const std::filesystem::path& path() const { return file_; }
  // Fills buffer[0, count) from the current position; throws when the file ends earlier
  // (it shrank while it was read).
  void readExactly(uint8_t* buffer, size_t count);

private:
  std::filesystem::path file_;
  FileDescriptor fd_;
  uint64_t size_ = 0;
};

// Writes to "TARGET.tmp-<pid>" beside the target and renames that over the target on
// commit. Destroyed without a commit, or ended by SIGINT, SIGTERM or SIGHUP, it removes
// the temporary file, so a failed or interrupted build leaves nothing behind and an
// existing target untouched. Failures throw ToolError naming the target.
class OutputFile {
public:
  explicit OutputFile(std::filesystem::path target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void append(const uint8_t* data, size_t size);
  void append(const std::vector<uint8_t>& bytes) { append(bytes.data(), bytes.size()); }
  // Replaces bytes already written (a header completed once the data behind it is known).
  void overwrite(uint64_t offset, const std::vector<uint8_t>& bytes);
  uint64_t size() const { return size_; }
  void commit();

private:
  [[noreturn]] void failWithErrno(const char* operation) const;

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::optional<RemoveOnSignal> removeOnSignal_; // outlives the descriptor
  FileDescriptor fd_;
  uint64_t size_ = 0;
  bool created_ = false;
  bool committed_ = false;
};

} // namespace lnx::pack
