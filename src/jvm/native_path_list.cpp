#include "jvm/native_path_list.h"

#include "log/log.h"

namespace lnx {

NativeLibraryPath buildNativeLibraryPath(const std::string& directories,
                                         const std::function<std::string(const std::string&)>& resolve,
                                         const std::string& oldPath, size_t capacity) {
  NativeLibraryPath result;
  for (size_t start = 0; start < directories.size();) {
    size_t end = directories.find(';', start);
    if (end == std::string::npos) end = directories.size();
    if (end > start) {
      std::string resolved = resolve(directories.substr(start, end - start));
      if (!result.path.empty()) result.path += ';';
      result.path += resolved;
      if (!resolved.empty()) result.directories.push_back(resolved);
    }
    start = end + 1;
  }
  if (!result.path.empty() && result.path.back() != ';') result.path += ';';
  result.path += oldPath;
  const size_t limit = capacity > 0 ? capacity - 1 : 0;
  if (result.path.size() > limit) {
    result.path.resize(limit);
    logError(L"native library PATH truncated at %d bytes", static_cast<int>(limit));
  }
  return result;
}

} // namespace lnx
