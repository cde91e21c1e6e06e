#include "cleanup/windel_paths.h"

namespace lnx {
namespace {

struct Name {
  size_t begin;
  size_t end;
};

bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isDecimal(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isHex(wchar_t c) { return isDecimal(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

// Moves at past a run of between least and most characters of a kind; false without one.
template <class Kind> bool skipRun(const std::wstring& text, size_t& at, Kind kind, size_t least, size_t most) {
  size_t start = at;
  while (at < text.size() && at - start < most && kind(text[at]))
    ++at;
  return at - start >= least;
}

bool skipLiteral(const std::wstring& text, size_t& at, const wchar_t* literal) {
  for (; *literal; ++literal, ++at)
    if (at >= text.size() || text[at] != *literal) return false;
  return true;
}

// "_dir", an optional minus sign and up to 10 digits end the name.
bool endsWithDirNumber(const std::wstring& name, size_t at) {
  if (!skipLiteral(name, at, L"_dir")) return false;
  if (at < name.size() && name[at] == L'-') ++at;
  return skipRun(name, at, isDecimal, 1, 10) && at == name.size();
}

bool isForbidden(wchar_t c) {
  return c < 0x20 || c == L'*' || c == L'?' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'/' ||
         c == L':';
}

// Splits an acceptable path into the names below its root; else says why it is not one.
const wchar_t* splitNames(const std::wstring& path, std::vector<Name>& names) {
  size_t at;
  if (path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
    at = 3;
  } else if (path.compare(0, 2, L"\\\\") == 0) {
    at = 2; // the server and the share are names too, but not below the root
  } else {
    return L"not an absolute path";
  }
  size_t rootNames = at == 2 ? 2 : 0;
  for (size_t i = at; i < path.size(); ++i)
    if (isForbidden(path[i])) return L"a character no file name holds";
  for (size_t begin = at;;) {
    size_t end = path.find(L'\\', begin);
    if (end == std::wstring::npos) end = path.size();
    if (end == begin) return L"an empty name";
    if (path[end - 1] == L'.' || path[end - 1] == L' ') return L"a name ending in a dot or a space";
    names.push_back({begin, end});
    if (end == path.size()) break;
    begin = end + 1;
  }
  if (names.size() <= rootNames) return L"no name below the root";
  names.erase(names.begin(), names.begin() + rootNames);
  return nullptr;
}

// The index of the first TempDir name among names, or names.size().
size_t firstTempDirName(const std::wstring& path, const std::vector<Name>& names) {
  for (size_t i = 0; i < names.size(); ++i)
    if (isTempDirName(path.substr(names[i].begin, names[i].end - names[i].begin))) return i;
  return names.size();
}

} // namespace

bool isTempDirName(const std::wstring& name) {
  size_t at = 0;
  if (!skipLiteral(name, at, L"mrv")) return false;
  size_t afterPrefix = at;
  if (skipRun(name, at, isHex, 1, 4) && skipLiteral(name, at, L".tmp") && endsWithDirNumber(name, at)) return true;
  at = afterPrefix;
  return skipRun(name, at, isDecimal, 1, 10) && endsWithDirNumber(name, at);
}

const wchar_t* listPathProblem(const std::wstring& path) {
  std::vector<Name> names;
  return splitNames(path, names);
}

bool isLauncherTemporaryPath(const std::wstring& path) {
  std::vector<Name> names;
  return !splitNames(path, names) && firstTempDirName(path, names) < names.size();
}

std::vector<std::wstring> guardedDirectories(const std::wstring& path) {
  std::vector<Name> names;
  std::vector<std::wstring> guarded;
  if (splitNames(path, names)) return guarded;
  for (size_t i = firstTempDirName(path, names); i + 1 < names.size(); ++i)
    guarded.push_back(path.substr(0, names[i].end));
  return guarded;
}

} // namespace lnx
