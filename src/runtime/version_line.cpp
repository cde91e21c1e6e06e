#include "runtime/version_line.h"

#include <algorithm>

namespace lnx {

namespace {

bool isOptionsNotice(const std::string& line) {
  for (const char* prefix : {"Picked up JAVA_TOOL_OPTIONS:", "Picked up _JAVA_OPTIONS:", "Picked up JDK_JAVA_OPTIONS:"})
    if (line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0) return true;
  return false;
}

} // namespace

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

std::optional<std::string> versionFromProbeOutput(const std::string& output) {
  for (size_t start = 0; start < output.size();) {
    size_t end = std::min(output.find('\n', start), output.size());
    std::string line = output.substr(start, end - start);
    if (!isOptionsNotice(line)) return versionFromProbeLine(line);
    start = end + 1;
  }
  return std::nullopt;
}

std::string probeCommandLine(const std::string& javaExe) {
  std::string program = javaExe.find(' ') == std::string::npos ? javaExe : "\"" + javaExe + "\"";
  return program + " -version";
}

} // namespace lnx
