#pragma once
// How the versions of two files compare: the file version of the fixed file information
// of each file's version resource, as two unsigned 32-bit halves, the most significant
// first. The Windows side reads the resources; the comparison is portable.
#include <cstdint>

namespace lnx {

// Results of a comparison of two files' versions (the values compare0 returns).
constexpr int kVersionsEqual = 0;
constexpr int kFirstVersionHigher = 1;
constexpr int kSecondVersionHigher = 2;
constexpr int kVersionUnreadable = 3;

struct FileVersionNumber {
  uint32_t mostSignificant;  // major << 16 | minor
  uint32_t leastSignificant; // build << 16 | revision
};

// kVersionsEqual, kFirstVersionHigher or kSecondVersionHigher.
int compareVersionNumbers(FileVersionNumber first, FileVersionNumber second);

// The versions of two files compared (Windows only, file_version_natives_win32.cpp); paths
// without a directory are searched as LoadLibrary searches them. kVersionUnreadable when a
// path is null or a version cannot be read; the second file is read only when the first
// one was.
int compareFileVersions(const wchar_t* firstPath, const wchar_t* secondPath);

} // namespace lnx
