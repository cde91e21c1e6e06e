#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "jvm/variables.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/java_exe_check.h"
#include "runtime/java_exe_system.h"
#include "runtime/jvm_home.h"
#include "runtime/jvm_loading.h"
#include "runtime/launcher_width.h"
#include "runtime/pack200.h"
#include "runtime/registered_runtimes.h"
#include "runtime/registry.h"
#include "runtime/runtime_search.h"
#include "runtime/search_entries.h"
#include "runtime/version_rules.h"

namespace lnx {

namespace {

struct JreLocation {
  std::string javaExe;
  std::string version;
  JreOrigin origin = OriginNone;
  std::string locationText;
  JvmLibrary library = nullptr;
};

// The process's system with a cancel checkpoint before each java.exe probe: a canceled
// search ends between two probes. Not for the java.exe that the Locate button picked: that
// check runs inside a dialog procedure, which a checkpoint may not unwind.
class CheckpointedSystem : public JavaExeSystem {
public:
  std::string fullPath(const std::string& path) override { return processJavaExeSystem().fullPath(path); }
  bool lastWriteTime(const std::string& path, uint64_t& time) override {
    return processJavaExeSystem().lastWriteTime(path, time);
  }
  bool fileExists(const std::string& path) override { return processJavaExeSystem().fileExists(path); }
  bool probeVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) override {
    stopIfCanceled();
    return processJavaExeSystem().probeVersion(javaExe, lastWriteTime, version);
  }
};

JavaExeSystem& searchSystem() {
  static CheckpointedSystem system;
  return system;
}

VersionBounds readVersionBounds() {
  std::string minimum = getConfigString(config::minJavaVersion, 6000);
  std::string maximum = getConfigString(config::maxJavaVersion, 6000);
  logPrint(L"MinVersion: %S, MaxVersion: %S", minimum, maximum);
  return parseVersionBounds(minimum, maximum);
}

// The first line of an open location file, which it closes.
bool readFirstLine(FILE* file, std::string& line) {
  if (!file) return false;
  std::string content(6001, '\0');
  size_t got = std::fread(&content[0], 1, content.size(), file);
  std::fclose(file);
  if (got == 0) return false;
  content.resize(got);
  line = locationFileLine(content);
  return true;
}

// A location file under the configured base directory (suffix like "\.lanternix\pref_jre.cfg").
bool readLocationFile(const std::wstring& suffix, std::string& line) {
  std::wstring base = makeFullPath(getConfigWString(config::locationFilesDirectory), true, false);
  return readFirstLine(_wfopen((base + suffix).c_str(), L"rb"), line);
}

bool checkJreDirectory(std::string& javaExe, std::string& version, const std::string& directory,
                       const VersionBounds& bounds, bool force) {
  std::string home = makeFullPath(directory, false);
  unpackJreDirectory(home);
  JavaExeSystem& system = searchSystem();
  bool passed = javaExeForHome(system, javaExe, home) &&
                checkJavaExe(system, processRegistry(), javaExe, version, bounds, true, true);
  return passed || force;
}

bool checkEnvironmentVariable(std::string& javaExe, std::string& version, const std::string& name,
                              const VersionBounds& bounds) {
  std::vector<char> value(6000);
  DWORD length = GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
  if (length == 0 || length >= value.size()) return false;
  std::string home(value.data(), length);
  for (char& c : home)
    if (c == '/') c = '\\';
  JavaExeSystem& system = searchSystem();
  return javaExeForHome(system, javaExe, home) &&
         checkJavaExe(system, processRegistry(), javaExe, version, bounds, false, true);
}

bool checkSearchPath(std::string& javaExe, std::string& version, const VersionBounds& bounds) {
  std::vector<char> found(6000);
  DWORD length = SearchPathA(nullptr, "java.exe", nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
  if (length == 0 || length >= found.size()) return false;
  javaExe.assign(found.data(), length);
  return checkJavaExe(searchSystem(), processRegistry(), javaExe, version, bounds, false, true);
}

// Takes a candidate that passed its checks; true when its jvm.dll loaded, which ends the search.
bool accept(JreLocation& location, JreOrigin origin, const std::string& locationText) {
  location.locationText = locationText;
  location.origin = origin;
  location.library = loadJvmForJavaExe(location.javaExe);
  return location.library != nullptr;
}

bool tryLocationFile(JreLocation& location, const std::string& line, const VersionBounds& bounds,
                     const wchar_t* usingLine) {
  if (!checkJreDirectory(location.javaExe, location.version, line, bounds, false)) return false;
  logPrint(usingLine);
  return accept(location, OriginDirectory, line);
}

bool trySearchEntry(JreLocation& location, const SearchEntry& entry, const VersionBounds& bounds) {
  std::string text = entry.text;
  expandVariables(text);
  logPrint(L"Testing location %S (type %c)", text, entry.type);
  switch (entry.type) {
  case 'A':
  case 'B':
  case 'R':
    return checkJreDirectory(location.javaExe, location.version, text, bounds, false) &&
           accept(location, OriginDirectory, text);
  case 'E':
    return checkEnvironmentVariable(location.javaExe, location.version, text, bounds) &&
           accept(location, OriginEnvironment, text);
  case 'S':
    return checkSearchPath(location.javaExe, location.version, bounds) &&
           accept(location, OriginSearchPath, text);
  case 'Y':
    return checkRegistry(processRegistry(), searchSystem(), location.javaExe, location.version, bounds) &&
           accept(location, OriginRegistry, location.locationText);
  default:
    logPrint(L"unknown search entry type %c, skipped", entry.type);
    return false;
  }
}

bool tryRelativePass(JreLocation& location, const std::vector<SearchEntry>& entries, const VersionBounds& bounds) {
  for (const SearchEntry& entry : entries) {
    if (!takesPartInRelativePass(entry)) continue;
    logPrint(L"Testing relative location %S", entry.text);
    checkJreDirectory(location.javaExe, location.version, entry.text, bounds, true);
    if (!pathExists(location.javaExe)) continue;
    logPrint(L"%S exists", location.javaExe);
    if (accept(location, OriginDirectory, entry.text)) return true;
  }
  return false;
}

bool tryPreviousInstallations(JreLocation& location, const VersionBounds& bounds) {
  const std::pair<RegistryRoot, const wchar_t*> roots[] = {
      {RegistryRoot::CurrentUser, L"found JRE from previous installation (user) %S"},
      {RegistryRoot::LocalMachine, L"found JRE from previous installation (machine) %S"}};
  for (const auto& [root, foundLine] : roots) {
    if (!checkPreviousInstallations(processRegistry(), searchSystem(), root, location.javaExe,
                                    location.version, bounds))
      continue;
    logPrint(foundLine, location.javaExe);
    if (accept(location, OriginRegistry, location.locationText)) return true;
  }
  return false;
}

JvmLibrary searchJvm(JreLocation& location) {
  logPrint(L"Searching for a JVM");
  location.origin = OriginNone;
  std::string sequence = getConfigString(config::searchSequence, 6000);
  VersionBounds bounds = readVersionBounds();
  std::string line;

  if (readLocationFile(L"\\.lanternix\\pref_jre.cfg", line)) {
    logPrint(L"Has preferred location %S", line);
    if (tryLocationFile(location, line, bounds, L"Using preferred location")) return location.library;
  }
  if (readFirstLine(std::fopen((launcherState().extractionDir + "\\inst_jre.cfg").c_str(), "rb"), line)) {
    logPrint(L"Has installer location %S", line);
    if (tryLocationFile(location, line, bounds, L"Using preferred location")) return location.library;
  }
  std::vector<SearchEntry> entries = parseSearchSequence(sequence);
  for (const SearchEntry& entry : entries)
    if (trySearchEntry(location, entry, bounds)) return location.library;
  if (readLocationFile(L"\\.lanternix\\inst_jre.cfg", line)) {
    logPrint(L"Has installer location %S", line);
    if (tryLocationFile(location, line, bounds, L"Using installer location")) return location.library;
  }
  if (tryRelativePass(location, entries, bounds)) return location.library;
  if (tryPreviousInstallations(location, bounds)) return location.library;
  logPrint(L"Search sequence finished");
  for (const char* variable : {"MORVA_JAVA_HOME", "LANTERNIX_JAVA_HOME"})
    if (checkEnvironmentVariable(location.javaExe, location.version, variable, bounds) &&
        accept(location, OriginEnvironment, variable))
      return location.library;
  return location.library;
}

void reportFailure(const JreLocation& location) {
  switch (location.origin) {
  case OriginSearchPath: showErrorMessageNarrow(message::noRuntimeFound, kLauncherWidth.bitsText); break;
  case OriginDirectory: showErrorMessageNarrow(kLauncherWidth.damagedRuntimeMessage, location.locationText.c_str()); break;
  case OriginEnvironment: showErrorMessageNarrow(kLauncherWidth.variableMessage, location.locationText.c_str()); break;
  default: showErrorMessage(message::jvmNotStarted, nullptr); break;
  }
}

} // namespace

bool LoadDLL(bool reportErrors, const std::string* location, bool locationIsJavaExe) {
  JreLocation found;
  logPrint(L"LoadDLL (%d, %S, %d)", reportErrors ? 1 : 0, location ? location->c_str() : "(null)",
           locationIsJavaExe ? 1 : 0);
  if (location) {
    logPrint(L"Got JRE location %S (java exe: %d)", *location, locationIsJavaExe ? 1 : 0);
    VersionBounds bounds = readVersionBounds();
    found.javaExe = *location;
    bool accepted = locationIsJavaExe ? checkJavaExe(processJavaExeSystem(), processRegistry(), found.javaExe,
                                                     found.version, bounds, true, false)
                                      : checkJreDirectory(found.javaExe, found.version, *location, bounds, true);
    if (!accepted) {
      logError(L"Provided JVM unusable");
      if (reportErrors) showErrorMessageNarrow(message::noRuntimeFound, kLauncherWidth.bitsText);
      return false;
    }
    found.origin = OriginDirectory;
    found.locationText = *location;
    found.library = loadJvmForJavaExe(found.javaExe);
  } else {
    searchJvm(found);
    if (found.origin == OriginNone) {
      logError(L"No JVM found");
      if (reportErrors) showErrorMessageNarrow(message::noRuntimeFound, kLauncherWidth.bitsText);
      return false;
    }
  }
  setJvmHome(found.javaExe, found.version);
  if (!found.library) logError(L"Could not get DLL-Handle.");
  if (!loadJniFunctions(found.library)) logError(L"Could not load functions");
  if (found.library && createJavaVmEntry()) {
    logPrint(L"Loading of JVM-DLL successful");
    return true;
  }
  if (reportErrors) reportFailure(found);
  return false;
}

} // namespace lnx
