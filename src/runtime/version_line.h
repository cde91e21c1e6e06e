#pragma once
#include <optional>
#include <string>

namespace lnx {

// The version in the first line that "java -version" writes: the text between the double
// quotes after "java version " or "openjdk version ". Newer runtimes put a date after the
// closing quote, so the quotes delimit the version rather than the end of the line.
std::optional<std::string> versionFromProbeLine(const std::string& line);

} // namespace lnx
