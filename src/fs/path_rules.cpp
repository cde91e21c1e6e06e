#include "fs/path_rules.h"

#include <cctype>

#include "text/codepage.h"

namespace lnx {

namespace {

template <class String> bool isRelative(const String& path) {
  if (path.size() < 3) return true;
  size_t start = 0;
  if (path[0] == '"') {
    if (path.size() < 4) return true;
    start = 1;
  }
  bool drivePath = path[start + 1] == ':' && path[start + 2] == '\\';
  bool uncPath = path[start] == '\\' && path[start + 1] == '\\';
  return !(drivePath || uncPath);
}

template <class String> String directoryPart(const String& filePath) {
  size_t cut = filePath.find_last_of(typename String::value_type('\\'));
  size_t slash = filePath.find_last_of(typename String::value_type('/'));
  if (slash != String::npos && (cut == String::npos || slash > cut)) cut = slash;
  return cut == String::npos ? String() : filePath.substr(0, cut + 1);
}

template <class String> bool driveRoot(const String& path) {
  if (path.size() < 2) return false;
  String rest = path.substr(1);
  return rest.size() >= 2 && rest[0] == ':' && rest[1] == '\\' &&
         (rest.size() == 2 || (rest.size() == 3 && rest[2] == '.') ||
          (rest.size() == 5 && rest[2] == '.' && rest[3] == '\\' && rest[4] == '.'));
}

} // namespace

bool isRelativePath(const std::string& path) { return isRelative(path); }
bool isRelativePath(const std::wstring& path) { return isRelative(path); }

void collapseSeparators(std::wstring& path) {
  size_t kept = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (i >= 2 && path[i] == L'\\' && kept > 0 && path[kept - 1] == L'\\') continue;
    path[kept++] = path[i];
  }
  path.resize(kept);
}

void collapseSeparators(std::string& path) {
  std::wstring wide = narrowToWide(path);
  collapseSeparators(wide);
  std::string back;
  if (wideToNarrow(wide, back)) path = back;
}

template <class String> String resolveAgainst(const String& path, const String& baseDirectory) {
  String result = isRelativePath(path) ? baseDirectory + path : path;
  collapseSeparators(result);
  return result;
}

std::wstring resolvePath(const std::wstring& path, const std::wstring& baseDirectory) {
  return resolveAgainst(path, baseDirectory);
}

std::string resolvePath(const std::string& path, const std::string& baseDirectory) {
  return resolveAgainst(path, baseDirectory);
}

std::wstring directoryOf(const std::wstring& filePath) { return directoryPart(filePath); }
std::string directoryOf(const std::string& filePath) { return directoryPart(filePath); }

bool hasExeSuffix(const std::string& path) {
  if (path.size() < 5) return false;
  std::string suffix = path.substr(path.size() - 4);
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return suffix == ".exe";
}

bool isDriveRoot(const std::string& path) { return driveRoot(path); }
bool isDriveRoot(const std::wstring& path) { return driveRoot(path); }

} // namespace lnx
