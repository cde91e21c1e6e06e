#pragma once
// Runtimes the registry knows of: the JavaSoft keys of installed runtimes, the located
// runtimes the launcher family remembers, the application's previous installations, and
// the version cache that spares probing an unchanged java.exe again.
#include <cstdint>
#include <string>

#include "runtime/java_exe_system.h"
#include "runtime/registry.h"
#include "runtime/version_rules.h"

namespace lnx {

// The caller's buffer for a version text; a cached version that does not fit it (with its
// terminating zero) counts as no cache entry.
constexpr size_t kVersionBufferBytes = 2000;

// One key per java.exe: its full path with "\" written as "/", so the path is one key
// name. Decoding turns every "/" back into "\".
std::string encodeRuntimePath(const std::string& javaExe);
std::string decodeRuntimePath(const std::string& keyName);

// Search entry Y: the best JavaSoft runtime (unless entry 165) against the best located
// one; the JavaSoft one wins only with a strictly greater version.
bool checkRegistry(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                   const VersionBounds& bounds);

// The JavaSoft keys of the local machine, newer layout first; JRE keys are left out under
// entry 131 (JDK required).
bool findJavaSoftRuntime(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                         const VersionBounds& bounds);

// The runtime named by the CurrentVersion of jdkKey or jreKey, whichever is greater (a tie
// goes to jreKey).
bool checkCurrentVersion(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                         const VersionBounds& bounds, const std::string& jdkKey, const std::string& jreKey);

// The version subkeys of key in range, tried from the greatest version down (isVersionGreater);
// among names of equal version the greater byte string goes first.
bool checkAllVersions(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                      const VersionBounds& bounds, const std::string& key);

// The best located runtime of the current user and of the local machine; the user's wins
// only with a strictly greater version. Without acceptAll only paths with "lnx_jres" count.
bool findLocatedRuntime(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                        const VersionBounds& bounds, bool acceptAll);
bool findLocatedRuntimes(Registry& registry, JavaExeSystem& system, RegistryRoot root, std::string& javaExe,
                         std::string& version, const VersionBounds& bounds, bool acceptAll);

// Remembers a java.exe as located runtime, under the local machine or else the current user.
void rememberLocatedRuntime(Registry& registry, const std::string& javaExe);

// The cached version of javaExe when its entry was made for the same last-write time.
// Values that older launchers wrote cut short or with a double quote count as no entry.
bool readCachedVersion(Registry& registry, const std::string& javaExe, uint64_t lastWriteTime, std::string& version);
// Records the version; failures are silent.
void storeCachedVersion(Registry& registry, const std::string& javaExe, uint64_t lastWriteTime,
                        const std::string& version);

// The jre directories of the application's previous installations (value named by entry
// 160), in the default registry view and then the 32-bit view.
bool checkPreviousInstallations(Registry& registry, JavaExeSystem& system, RegistryRoot root, std::string& javaExe,
                                std::string& version, const VersionBounds& bounds);

} // namespace lnx
