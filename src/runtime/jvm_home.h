#pragma once
// The chosen runtime as the rest of the launcher sees it: the JVM home (the directory of
// its java.exe, "\" and "..", not normalised) and its version text. Empty until chosen.
#include <string>

namespace lnx {

const std::string& jvmHome();
const std::string& jvmVersion();

// Publishes the runtime of a java.exe (or javaw.exe) path and its version.
void setJvmHome(const std::string& javaExe, const std::string& version);

// The directory of a java.exe or javaw.exe path, with its trailing backslash.
std::string javaExeDirectory(const std::string& javaExe);

} // namespace lnx
