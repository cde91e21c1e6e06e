// lnxpack's project file (JSON with comments) read from a file written per input. Failures
// are ToolErrors only; a project that loads names its files in 2002 and 2003, each once.
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "fuzz_check.h"
#include "lnxpack/project_file.h"
#include "lnxpack/tool_error.h"
#include "payload/catalogue.h"

namespace {

// The file of this process, removed when it exits.
struct ProjectFile {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("lnx_fuzz_project_" + std::to_string(getpid()) + ".json");
  ~ProjectFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const std::filesystem::path& projectPath() {
  static const ProjectFile file;
  return file.path;
}

void checkFiles(const lnx::pack::Project& project) {
  using namespace lnx;
  std::string names;
  std::set<std::string> lowerNames;
  for (const pack::IncludedFile& file : project.files) {
    fuzz::check(!file.name.empty() && file.name.find(';') == std::string::npos, "a file name holds no \";\"");
    names += (names.empty() ? "" : ";") + file.name;
    std::string lower = file.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    fuzz::check(lowerNames.insert(lower).second, "a file is included once");
  }
  fuzz::check(project.config.at(config::includedFileCount) == std::to_string(project.files.size()), "2002 counts the files");
  fuzz::check(project.config.at(config::includedFileNames) == names, "2003 names the files");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(projectPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    checkFiles(lnx::pack::loadProject(projectPath()));
  } catch (const lnx::pack::ToolError&) {
  }
  return 0;
}
