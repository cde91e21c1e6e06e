// The version in what "java -version" wrote: it holds no double quote, and the one taken
// from the whole output no line end.
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "runtime/version_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  const std::string output(reinterpret_cast<const char*>(data), size);
  if (std::optional<std::string> version = versionFromProbeOutput(output))
    fuzz::check(version->find_first_of("\"\n") == std::string::npos, "one line without quotes");
  if (std::optional<std::string> version = versionFromProbeLine(output))
    fuzz::check(version->find('"') == std::string::npos, "no quotes");
  probeCommandLine(output);
  return 0;
}
