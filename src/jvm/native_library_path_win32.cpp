#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "fs/path_rules.h"
#include "jvm/native_library_path.h"
#include "jvm/native_path_list.h"
#include "jvm/variables.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "text/codepage.h"
#include "win32/environment.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr size_t kDirectoriesBufferBytes = 6000;

// Looked up at run time: both are missing on systems without the DLL-directory update.
using AddDllDirectoryFunction = DLL_DIRECTORY_COOKIE(WINAPI*)(PCWSTR);
using RemoveDllDirectoryFunction = BOOL(WINAPI*)(DLL_DIRECTORY_COOKIE);

std::vector<std::string> configuredDirectories;

} // namespace

void setNativeLibraryPath() {
  std::string directories = getConfigString(config::nativeLibraryDirectories, kDirectoriesBufferBytes);
  logPrint(L"native lib dir is %S", directories);
  expandVariables(directories);
  NativeLibraryPath nativePath = buildNativeLibraryPath(
      directories, [](const std::string& piece) { return resolveLauncherPath(piece); }, environmentVariable("PATH").value_or(""));
  configuredDirectories = nativePath.directories;

  if (SetEnvironmentVariableA("PATH", nativePath.path.c_str())) {
    logPrint(L"Setting PATH (native libs) %S", nativePath.path);
  } else {
    int error = static_cast<int>(GetLastError());
    logError(L"Setting PATH (native libs) %S failed with error %d", nativePath.path, error);
  }
  // getenv reads the C runtime's own copy of the environment; keep both views alike.
  _putenv(("PATH=" + nativePath.path).c_str());
}

void registerNativeLibraryDirectories() {
  // A directory of the TempDir that no included file created is made, so that libraries
  // the installer puts there later are found too; it goes with the TempDir.
  // The directories stay registered for the rest of the process, so the cookies are not kept.
  std::string tempDir = withTrailingSeparator(launcherState().extractionDir);
  for (const std::string& directory : configuredDirectories) {
    if (tempDir.size() > 1 && directory.compare(0, tempDir.size(), tempDir) == 0 && !pathExists(directory))
      CreateDirectoryA(directory.c_str(), nullptr);
    addDllDirectory(directory);
  }
}

DllDirectoryCookie addDllDirectory(const std::string& directory) {
  auto add = systemFunction<AddDllDirectoryFunction>(L"kernel32.dll", "AddDllDirectory");
  if (!add) return nullptr;
  std::wstring wide = narrowToWide(directory);
  if (wide.empty()) return nullptr;
  DllDirectoryCookie cookie = add(wide.c_str());
  if (cookie)
    logPrint(L"Adding DLL directory %s", wide);
  else
    logError(L"Adding DLL directory %s failed with error %d", wide, static_cast<int>(GetLastError()));
  return cookie;
}

void removeDllDirectory(DllDirectoryCookie cookie) {
  if (!cookie) return;
  auto remove = systemFunction<RemoveDllDirectoryFunction>(L"kernel32.dll", "RemoveDllDirectory");
  if (!remove) return;
  logPrint(L"Removing DLL directory");
  remove(cookie);
}

} // namespace lnx
