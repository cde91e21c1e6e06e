#pragma once
// Which java.exe a runtime home stands for, and the one check every candidate java.exe
// goes through.
#include <string>

#include "runtime/java_exe_system.h"
#include "runtime/registry.h"
#include "runtime/version_rules.h"

namespace lnx {

// home\jre\bin\java.exe when it exists, else home\bin\java.exe (true either way). Under
// entry 131 (JDK required) only a JDK home holds: one with home\lib\tools.jar (1.x), whose
// answer is home\jre\bin\java.exe, or one with home\bin\javac.exe and no jre folder
// (9 and later), whose answer is home\bin\java.exe.
bool javaExeForHome(JavaExeSystem& system, std::string& javaExe, const std::string& home);

// Turns javaExe into its lower-case full path, finds its version (from the version cache
// when useCache and the file is unchanged, else by running it, which refreshes the cache)
// and judges it with isVersionAllowed. Under entry 107 == 1 the accepted path becomes the
// javaw.exe beside it, which must exist.
bool checkJavaExe(JavaExeSystem& system, Registry& registry, std::string& javaExe, std::string& version,
                  const VersionBounds& bounds, bool allowBeta, bool useCache);

} // namespace lnx
