#pragma once
// The PATH value that puts the configured native library directories in front of the
// process's PATH.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace lnx {

// The buffer the PATH text is built in, in bytes including the terminator.
constexpr size_t kNativePathBufferBytes = 48000;

struct NativeLibraryPath {
  std::vector<std::string> directories; // the resolved, non-empty pieces
  std::string path;                     // the new value of PATH
};

// directories is split at ";" (empty pieces skipped) and each piece passed through
// resolve. The pieces joined with ";" and ending in ";" are followed by oldPath; the whole
// is cut to capacity - 1 bytes (and the cut logged).
NativeLibraryPath buildNativeLibraryPath(const std::string& directories,
                                         const std::function<std::string(const std::string&)>& resolve,
                                         const std::string& oldPath, size_t capacity = kNativePathBufferBytes);

} // namespace lnx
