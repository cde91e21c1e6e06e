#include "runtime/java_exe_check.h"

#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/registered_runtimes.h"

namespace lnx {

namespace {

// The version of an existing java.exe with its verdict; false when no version was found.
bool judgeVersion(JavaExeSystem& system, Registry& registry, const std::string& javaExe, uint64_t lastWriteTime,
                  std::string& version, const VersionBounds& bounds, bool allowBeta, bool useCache) {
  std::string cached;
  // "1.0.0" marks a java.exe whose probe failed; it is probed again.
  if (useCache && readCachedVersion(registry, javaExe, lastWriteTime, cached) && cached != "1.0.0") {
    version = cached;
    logPrint(L"got version from registry %S", version);
    return isVersionAllowed(version, bounds, allowBeta);
  }
  if (!system.probeVersion(javaExe, lastWriteTime, version)) {
    logPrint(L"couldn't get version");
    return false;
  }
  logPrint(L"got version from execution %S", version);
  storeCachedVersion(registry, javaExe, lastWriteTime, version);
  return isVersionAllowed(version, bounds, allowBeta);
}

// The layout of a JDK of version 9 or later, which has no lib\tools.jar: its compiler lies
// beside java.exe, and it has no jre folder.
bool isModularJdk(JavaExeSystem& system, const std::string& home) {
  return system.fileExists(home + "\\bin\\javac.exe") && !system.fileExists(home + "\\jre");
}

} // namespace

bool javaExeForHome(JavaExeSystem& system, std::string& javaExe, const std::string& home) {
  javaExe = home + "\\jre\\bin\\java.exe";
  if (getConfigInt(config::requireJdk) != 0) {
    if (system.fileExists(home + "\\lib\\tools.jar")) return true;
    if (!isModularJdk(system, home)) return false;
    javaExe = home + "\\bin\\java.exe";
    return true;
  }
  if (!system.fileExists(javaExe)) javaExe = home + "\\bin\\java.exe";
  return true;
}

bool checkJavaExe(JavaExeSystem& system, Registry& registry, std::string& javaExe, std::string& version,
                  const VersionBounds& bounds, bool allowBeta, bool useCache) {
  logPrint(L"checkJavaExe (%S, [out], %d, %d, %d)", javaExe, static_cast<int>(bounds.minimum.size()),
           static_cast<int>(bounds.maximum.size()), allowBeta ? 1 : 0);
  javaExe = system.fullPath(javaExe);
  uint64_t lastWriteTime = 0;
  bool passed = false;
  if (!system.lastWriteTime(javaExe, lastWriteTime)) {
    logPrint(L"file doesn't exist");
  } else {
    logPrint(L"file exists");
    version.clear();
    passed = judgeVersion(system, registry, javaExe, lastWriteTime, version, bounds, allowBeta, useCache);
  }
  const std::string exeSuffix = ".exe";
  if (passed && getConfigInt(config::launcherType) == 1 && javaExe.size() >= exeSuffix.size()) {
    javaExe.replace(javaExe.size() - exeSuffix.size(), exeSuffix.size(), "w.exe");
    passed = system.fileExists(javaExe);
  }
  logPrint(L"checkJavaExe returning %d", passed ? 1 : 0);
  return passed;
}

} // namespace lnx
