// The included files' name list (configuration 2003) and the name checks: no empty name,
// no separator inside one, and a name taken as safe stays inside the extraction directory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "payload/included_files.h"

namespace {

bool leavesTheDirectory(std::string name) {
  for (char& c : name)
    if (c == '/') c = '\\';
  std::string wrapped = "\\" + name + "\\";
  return name[0] == '\\' || name.find(':') != std::string::npos || wrapped.find("\\..\\") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  const std::string list(reinterpret_cast<const char*>(data), size);
  std::string joined;
  for (const std::string& name : splitIncludedNames(list)) {
    fuzz::check(!name.empty() && name.find(';') == std::string::npos, "a name is not empty and holds no \";\"");
    joined += name;
    if (isSafeIncludedName(name)) fuzz::check(!leavesTheDirectory(name), "a safe name stays inside");
    std::string directory = includedNameDirectory(name);
    fuzz::check(name.compare(0, directory.size(), directory) == 0, "the directory is the name's start");
  }
  std::string withoutSeparators;
  for (char c : list)
    if (c != ';') withoutSeparators += c;
  fuzz::check(joined == withoutSeparators, "the names are the list without its separators");
  return 0;
}
