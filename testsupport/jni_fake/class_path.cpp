#include "class_path.h"

#include <algorithm>

#include <windows.h>

#include "java_text.h"
#include "whole_file.h"

namespace jnifake {

namespace {

bool isDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

ClassPath::ClassPath(const std::vector<std::wstring>& entries) {
  for (const std::wstring& path : entries)
    entries_.push_back({path, false, std::nullopt});
}

std::optional<std::string> ClassPath::classBytes(const std::string& internalName) {
  std::string fileName = internalName + ".class";
  for (Entry& entry : entries_)
    if (std::optional<std::string> bytes = fromEntry(entry, fileName))
      return bytes;
  return std::nullopt;
}

std::optional<std::string> ClassPath::fromEntry(Entry& entry, const std::string& fileName) {
  if (isDirectory(entry.path)) {
    std::u16string relative = fromModifiedUtf8(fileName);
    std::replace(relative.begin(), relative.end(), u'/', u'\\');
    return standin::readWholeFile(entry.path + L"\\" + std::wstring(relative.begin(), relative.end()));
  }
  if (!entry.opened) {
    entry.opened = true;
    if (std::optional<std::string> bytes = standin::readWholeFile(entry.path))
      entry.archive = ZipArchive::open(std::move(*bytes));
  }
  return entry.archive ? entry.archive->read(fileName) : std::nullopt;
}

} // namespace jnifake
