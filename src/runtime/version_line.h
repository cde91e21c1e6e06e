#pragma once
#include <optional>
#include <string>

namespace lnx {

// The version in the first line that "java -version" writes: the text between the double
// quotes after "java version " or "openjdk version ". Newer runtimes put a date after the
// closing quote, so the quotes delimit the version rather than the end of the line.
std::optional<std::string> versionFromProbeLine(const std::string& line);

// The version in everything "java -version" wrote: taken from the first line that is not a
// "Picked up ..." notice, which the runtime prints first when JAVA_TOOL_OPTIONS,
// _JAVA_OPTIONS or JDK_JAVA_OPTIONS is set.
std::optional<std::string> versionFromProbeOutput(const std::string& output);

// The probe's command line for a java.exe path (its short form where there is one). A
// path with spaces is quoted, so that a program at a prefix of it (C:\Program.exe) cannot
// be started instead.
std::string probeCommandLine(const std::string& javaExe);

} // namespace lnx
