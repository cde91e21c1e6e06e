#include "runtime/version_line.h"

namespace lnx {

std::optional<std::string> versionFromProbeLine(const std::string& line) {
  for (const char* prefix : {"java version \"", "openjdk version \""}) {
    std::string start(prefix);
    if (line.compare(0, start.size(), start) != 0) continue;
    size_t close = line.find('"', start.size());
    if (close == std::string::npos) return std::nullopt;
    return line.substr(start.size(), close - start.size());
  }
  return std::nullopt;
}

std::string probeCommandLine(const std::string& javaExe) {
  std::string program = javaExe.find(' ') == std::string::npos ? javaExe : "\"" + javaExe + "\"";
  return program + " -version";
}

} // namespace lnx
