#pragma once
// Whole-file reads and the all-or-nothing output file of the builder.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace lnx::pack {

// The file's bytes; throws ToolError naming the file.
std::vector<uint8_t> readFileBytes(const std::filesystem::path& file);

// Writes to "TARGET.tmp-<pid>" beside the target and renames that over the target on
// commit. Destroyed without a commit, it removes the temporary file, so a failed build
// leaves nothing behind and an existing target untouched. Failures throw ToolError
// naming the target.
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
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream_;
  uint64_t size_ = 0;
  bool committed_ = false;
};

} // namespace lnx::pack
