#include <windows.h>

#include <cstdlib>
#include <vector>

#include "fs/path_names.h"
#include "jvm/native_library_path.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/jvm_home.h"
#include "runtime/jvm_loading.h"
#include "win32/environment.h"

namespace lnx {

namespace {

const char* const kVmDirectories[] = {"hotspot", "client", "server", "classic", "jrockit"};
void* createJavaVm = nullptr;

// Sets PATH for the process and for the C runtime's copy of the environment; nothing
// removes the variable, as it was before when it was not set.
void setPath(const std::optional<std::string>& path) {
  std::string shown = path.value_or("");
  if (SetEnvironmentVariableA("PATH", path ? path->c_str() : nullptr))
    logPrint(L"Setting PATH %S", shown);
  else
    logPrint(L"Setting PATH %S failed with error %d", shown, static_cast<int>(GetLastError()));
  _putenv(("PATH=" + shown).c_str());
}

} // namespace

JvmLibrary loadJvmLibraryFrom(const std::string& binDirectory, const std::string& vmDirectory) {
  std::string library = binDirectory + "\\" + vmDirectory + "\\jvm.dll";
  bool exists = pathExists(library);
  logPrint(L"Trying %S (exists %d)", library, exists ? 1 : 0);
  HMODULE loaded = LoadLibraryA(library.c_str());
  if (!loaded && exists) logPrint(L"Failed with error code %d", static_cast<int>(GetLastError()));
  return loaded;
}

JvmLibrary loadJvmLibrary(const std::string& javaExe) {
  std::string binDirectory = javaExeDirectory(javaExe);
  if (!binDirectory.empty()) binDirectory.pop_back(); // without the backslash
  DllDirectoryCookie cookie = addDllDirectory(binDirectory);
  // At its real size: a PATH cut to a buffer would be lost when it is restored.
  std::optional<std::string> oldPath = environmentVariable("PATH");
  setPath(oldPath.value_or("") + ";" + binDirectory);

  JvmLibrary loaded = nullptr;
  std::string configured = getConfigString(config::preferredVmDirectory, 200);
  if (!configured.empty()) loaded = loadJvmLibraryFrom(binDirectory, configured);
  for (const char* vmDirectory : kVmDirectories) {
    if (loaded) break;
    loaded = loadJvmLibraryFrom(binDirectory, vmDirectory);
  }
  if (!loaded) {
    removeDllDirectory(cookie);
    setPath(oldPath);
  }
  return loaded;
}

JvmLibrary loadJvmForJavaExe(const std::string& javaExe) {
  logPrint(L"Trying to load JVM-DLL from %S", javaExe);
  JvmLibrary loaded = loadJvmLibrary(javaExe);
  if (!loaded) loaded = loadJvmLibrary(javaExeDirectory(javaExe) + "..\\jre\\bin\\java.exe");
  return loaded;
}

bool loadJniFunctions(JvmLibrary library) {
  if (!library) return false;
  void* entry = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), "JNI_CreateJavaVM"));
  if (!entry) return false;
  createJavaVm = entry;
  return true;
}

void* createJavaVmEntry() { return createJavaVm; }

} // namespace lnx
