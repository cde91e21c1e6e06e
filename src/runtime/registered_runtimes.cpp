// Runtimes found through the registry: JavaSoft keys, located runtimes, previous installations.
#include "runtime/registered_runtimes.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/java_exe_check.h"

namespace lnx {

namespace {

const char* const kJavaSoftJre = "SOFTWARE\\JavaSoft\\JRE";
const char* const kJavaSoftJdk = "SOFTWARE\\JavaSoft\\JDK";
const char* const kJavaSoftOldJre = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char* const kJavaSoftOldJdk = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char* const kLocatedRuntimesKey = "SOFTWARE\\qorvane-systems\\morva\\locatedjvms\\";
const char* const kInstallationsKey = "SOFTWARE\\qorvane-systems\\lanternix\\installations";
const char* const kLocatedOwnRuntimeMarker = "lnx_jres";

constexpr size_t kCurrentVersionBytes = 100;
constexpr size_t kRegistryTextBytes = 6000;

struct Candidate {
  bool found = false;
  std::string javaExe;
  std::string version;
};

// Of two candidates, the first is taken only when its version is strictly greater.
bool takeBetter(const Candidate& first, const Candidate& second, std::string& javaExe, std::string& version) {
  const Candidate* chosen = nullptr;
  if (first.found && second.found)
    chosen = isVersionGreater(first.version, second.version) ? &first : &second;
  else if (first.found || second.found)
    chosen = first.found ? &first : &second;
  if (!chosen) return false;
  javaExe = chosen->javaExe;
  version = chosen->version;
  return true;
}

// Greatest version first; of names with equal versions ("1.8.0_201", "1.8.0-201") the
// greater byte string comes first.
bool greaterVersionFirst(const std::string& a, const std::string& b) {
  if (isVersionGreater(a, b)) return true;
  if (isVersionGreater(b, a)) return false;
  return a > b;
}

bool jdkRequired() { return getConfigInt(config::requireJdk) != 0; }

RegistryKeyName machineKey(const std::string& path) { return {RegistryRoot::LocalMachine, path}; }

// The JavaHome of a version key of an installed runtime, judged without beta versions.
bool checkJavaHome(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                   const VersionBounds& bounds, const std::string& versionKey) {
  std::string home;
  if (registry.readString(machineKey(versionKey), "JavaHome", kRegistryTextBytes, home) != kRegistryOk) return false;
  return javaExeForHome(system, javaExe, home) && checkJavaExe(system, registry, javaExe, version, bounds, false, true);
}

// The key's CurrentVersion when it can be read and is in range, else the empty text.
std::string currentVersionInRange(Registry& registry, const std::string& key, const VersionBounds& bounds) {
  std::string current;
  if (registry.readString(machineKey(key), "CurrentVersion", kCurrentVersionBytes, current) != kRegistryOk ||
      !isVersionInRange(current, bounds))
    return std::string();
  return current;
}

bool checkInstallationsInView(Registry& registry, JavaExeSystem& system, RegistryRoot root, uint32_t view,
                              std::string& javaExe, std::string& version, const VersionBounds& bounds) {
  std::string appId = getConfigString(config::applicationId, kRegistryTextBytes);
  logPrint(L"checking app id %S (%d, %p)", appId, static_cast<int>(view),
           reinterpret_cast<const void*>(static_cast<uintptr_t>(root)));
  if (appId.empty()) return false;
  RegistryKeyName key{root, kInstallationsKey, view};
  long status = registry.openKey(key);
  if (status != kRegistryOk) {
    logPrint(L"could not open installation node %d", status);
    return false;
  }
  std::string installations;
  status = registry.readString(key, appId, kRegistryTextBytes, installations);
  if (status != kRegistryOk || installations.empty()) {
    logPrint(L"could not query value node %d", status);
    return false;
  }
  logPrint(L"found installations: %S", installations);
  for (size_t start = 0; start <= installations.size();) {
    size_t end = std::min(installations.find(';', start), installations.size());
    std::string directory = installations.substr(start, end - start);
    start = end + 1;
    if (directory.empty()) continue;
    std::string home = directory + "\\jre";
    if (!javaExeForHome(system, javaExe, home))
      logPrint(L"did not find java in %S", home);
    else if (checkJavaExe(system, registry, javaExe, version, bounds, false, true))
      return true;
    else
      logPrint(L"java version did not match in %S", home);
  }
  return false;
}

} // namespace

bool checkRegistry(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                   const VersionBounds& bounds) {
  bool useJavaSoft = getConfigInt(config::skipJavaSoftKeys) == 0;
  Candidate javaSoft, located;
  if (useJavaSoft) {
    javaSoft.found = findJavaSoftRuntime(registry, system, javaSoft.javaExe, javaSoft.version, bounds);
    if (javaSoft.found) logPrint(L"found sun %S %S", javaSoft.javaExe, javaSoft.version);
  }
  located.found = findLocatedRuntime(registry, system, located.javaExe, located.version, bounds, useJavaSoft);
  if (located.found) logPrint(L"found located %S %S", located.javaExe, located.version);
  return takeBetter(javaSoft, located, javaExe, version);
}

bool findJavaSoftRuntime(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                         const VersionBounds& bounds) {
  const std::pair<const char*, const char*> layouts[] = {{kJavaSoftJdk, kJavaSoftJre},
                                                         {kJavaSoftOldJdk, kJavaSoftOldJre}};
  for (const auto& [jdkKey, jreKey] : layouts) {
    if (checkCurrentVersion(registry, system, javaExe, version, bounds, jdkKey, jreKey)) return true;
    if (!jdkRequired() && checkAllVersions(registry, system, javaExe, version, bounds, jreKey)) return true;
    if (checkAllVersions(registry, system, javaExe, version, bounds, jdkKey)) return true;
  }
  return false;
}

bool checkCurrentVersion(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                         const VersionBounds& bounds, const std::string& jdkKey, const std::string& jreKey) {
  std::string jdkVersion = currentVersionInRange(registry, jdkKey, bounds);
  std::string jreVersion = jdkRequired() ? std::string() : currentVersionInRange(registry, jreKey, bounds);
  bool useJdk = isVersionGreater(jdkVersion, jreVersion);
  const std::string& key = useJdk ? jdkKey : jreKey;
  const std::string& chosen = useJdk ? jdkVersion : jreVersion;
  return checkJavaHome(registry, system, javaExe, version, bounds, key + "\\" + chosen);
}

bool checkAllVersions(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                      const VersionBounds& bounds, const std::string& key) {
  std::vector<std::string> names;
  if (registry.subkeyNames(machineKey(key), names) != kRegistryOk) return false;
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&](const std::string& name) { return !isVersionInRange(name, bounds); }),
              names.end());
  std::sort(names.begin(), names.end(), greaterVersionFirst);
  for (const std::string& name : names)
    if (checkJavaHome(registry, system, javaExe, version, bounds, key + "\\" + name)) return true;
  return false;
}

bool findLocatedRuntime(Registry& registry, JavaExeSystem& system, std::string& javaExe, std::string& version,
                        const VersionBounds& bounds, bool acceptAll) {
  Candidate user, machine;
  user.found = findLocatedRuntimes(registry, system, RegistryRoot::CurrentUser, user.javaExe, user.version, bounds,
                                   acceptAll);
  machine.found = findLocatedRuntimes(registry, system, RegistryRoot::LocalMachine, machine.javaExe, machine.version,
                                      bounds, acceptAll);
  return takeBetter(user, machine, javaExe, version);
}

bool findLocatedRuntimes(Registry& registry, JavaExeSystem& system, RegistryRoot root, std::string& javaExe,
                         std::string& version, const VersionBounds& bounds, bool acceptAll) {
  version.clear();
  std::vector<std::string> names;
  if (registry.subkeyNames({root, kLocatedRuntimesKey}, names) != kRegistryOk) return false;
  bool found = false;
  for (const std::string& name : names) {
    std::string candidateExe = decodeRuntimePath(name), candidateVersion;
    if (!acceptAll && candidateExe.find(kLocatedOwnRuntimeMarker) == std::string::npos) continue;
    // Among equal versions the first enumerated stays.
    if (checkJavaExe(system, registry, candidateExe, candidateVersion, bounds, true, true) &&
        isVersionGreater(candidateVersion, version)) {
      javaExe = candidateExe;
      version = candidateVersion;
      found = true;
    }
  }
  return found;
}

void rememberLocatedRuntime(Registry& registry, const std::string& javaExe) {
  std::string path = kLocatedRuntimesKey + encodeRuntimePath(javaExe);
  if (registry.createKey({RegistryRoot::LocalMachine, path}) != kRegistryOk)
    registry.createKey({RegistryRoot::CurrentUser, path});
}

bool checkPreviousInstallations(Registry& registry, JavaExeSystem& system, RegistryRoot root, std::string& javaExe,
                                std::string& version, const VersionBounds& bounds) {
  for (uint32_t view : {0u, kRegistry32BitView})
    if (checkInstallationsInView(registry, system, root, view, javaExe, version, bounds)) return true;
  return false;
}

} // namespace lnx
