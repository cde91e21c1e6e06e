#pragma once
// The one failure lnxpack reports: a problem with one named file. The command line prints
// it as "lnxpack: FILE: problem" and exits with code 2.
#include <filesystem>
#include <string>

namespace lnx::pack {

struct ToolError {
  std::filesystem::path file;
  std::string problem;
};

} // namespace lnx::pack
