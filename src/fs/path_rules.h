#pragma once
// Path rules that need no file system: relative or absolute, joining with a base
// directory, doubled separators, the ".exe" suffix, drive roots.
#include <string>

namespace lnx {

// Shorter than 3 characters: relative. A leading double quote is skipped (then shorter
// than 4 is relative). Absolute: "X:\" at the start, or a leading "\\" (UNC). Everything
// else, "X:/..." and "\dir" included, is relative.
bool isRelativePath(const std::string& path);
bool isRelativePath(const std::wstring& path);

// Drops every "\" that follows a kept "\", except within the first two characters, so a
// UNC path keeps its leading pair. The 8-bit form works through wide text and stays
// unchanged when the text does not convert back.
void collapseSeparators(std::wstring& path);
void collapseSeparators(std::string& path);

// A relative path is appended to baseDirectory (which ends in "\"); the result has its
// doubled separators collapsed. No ".." is removed.
std::wstring resolvePath(const std::wstring& path, const std::wstring& baseDirectory);
std::string resolvePath(const std::string& path, const std::string& baseDirectory);

// The directory part of a file path, ending in "\" (empty when there is no separator).
std::wstring directoryOf(const std::wstring& filePath);
std::string directoryOf(const std::string& filePath);

// At least 5 characters ending in ".exe", case-insensitive.
bool hasExeSuffix(const std::string& path);

// "X:\", "X:\." or "X:\.\." : exists without a look-up.
bool isDriveRoot(const std::string& path);
bool isDriveRoot(const std::wstring& path);

// Appends "\" unless the text already ends in "\" or "/".
template <class String> String withTrailingSeparator(String path) {
  if (path.empty() || (path.back() != '\\' && path.back() != '/')) path.push_back('\\');
  return path;
}

} // namespace lnx
