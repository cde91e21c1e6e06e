#include "payload/included_files.h"

#include <algorithm>
#include <vector>

#include "log/log.h"
#include "payload/file_mask.h"

namespace lnx {

std::vector<std::string> splitIncludedNames(const std::string& names) {
  std::vector<std::string> split;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    if (end > start) split.push_back(names.substr(start, end - start));
    start = end + 1;
  }
  return split;
}

bool isSafeIncludedName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos) return false;
  size_t start = 0;
  while (true) {
    size_t end = name.find_first_of("\\/", start);
    if (name.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string includedNameDirectory(const std::string& name) {
  size_t separator = name.find('\\');
  return separator == std::string::npos ? std::string() : name.substr(0, separator);
}

int copyBlock(ByteSource& from, ByteSink& to, int64_t length, bool unscramble) {
  // Large chunks: under Wine every ReadFile and WriteFile costs microseconds beyond its
  // copy (see the design notes on chunk sizes).
  constexpr uint32_t kChunk = 256 * 1024;
  if (length <= 0) return kCopied;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(length, kChunk))); // once per file
  uint8_t* buffer = chunk.data();
  int64_t copied = 0;
  while (copied < length) {
    uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(length - copied, static_cast<int64_t>(chunk.size())));
    ReadResult read = from.read(buffer, wanted);
    if (!read.ok || read.bytesRead == 0) {
      logError(L"ReadFile failed %d %d %I64d", read.bytesRead, read.systemError, copied);
      return kReadFailed;
    }
    if (unscramble) applyFileMask(buffer, read.bytesRead);
    uint32_t done = 0;
    while (done < read.bytesRead) {
      uint32_t written = 0, error = 0;
      if (!to.write(buffer + done, read.bytesRead - done, written, error) || written == 0) {
        logError(L"WriteFile failed %d %d", read.bytesRead - done, error);
        return kWriteFailed;
      }
      done += written;
    }
    copied += read.bytesRead;
  }
  return kCopied;
}

} // namespace lnx
