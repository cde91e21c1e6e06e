#pragma once
// The class path of the fake VM: directories and jars, searched in order for a class file
// like a real VM's application class loader does.
#include <optional>
#include <string>
#include <vector>

#include "zip_archive.h"

namespace jnifake {

class ClassPath {
public:
  explicit ClassPath(const std::vector<std::wstring>& entries);

  // The class file of an internal name ("a/b/C") from the first entry that holds it.
  std::optional<std::string> classBytes(const std::string& internalName);

private:
  struct Entry {
    std::wstring path;
    bool opened = false; // jars are read on first use, then kept
    std::optional<ZipArchive> archive;
  };

  std::optional<std::string> fromEntry(Entry& entry, const std::string& fileName);

  std::vector<Entry> entries_;
};

} // namespace jnifake
