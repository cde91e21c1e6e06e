#include <windows.h>

#include <cstdlib>
#include <string>

#include "fs/path_names.h"
#include "jvm/native_library_path.h"
#include "jvm/native_path_list.h"
#include "jvm/variables.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "text/codepage.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr size_t kDirectoriesBufferBytes = 6000;

// Looked up at run time: both are missing on systems without the DLL-directory update.
using AddDllDirectoryFunction = DLL_DIRECTORY_COOKIE(WINAPI*)(PCWSTR);
using RemoveDllDirectoryFunction = BOOL(WINAPI*)(DLL_DIRECTORY_COOKIE);

std::string currentPath() {
  DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (size == 0) return std::string();
  std::string value(size, '\0');
  DWORD length = GetEnvironmentVariableA("PATH", &value[0], size);
  value.resize(length < size ? length : 0);
  return value;
}

} // namespace

void setNativeLibraryPath() {
  std::string directories = getConfigString(config::nativeLibraryDirectories, kDirectoriesBufferBytes);
  logPrint(L"native lib dir is %S", directories);
  expandVariables(directories);
  NativeLibraryPath nativePath = buildNativeLibraryPath(
      directories, [](const std::string& piece) { return resolveLauncherPath(piece); }, currentPath());
  // The directories stay registered for the rest of the process, so the cookies are not kept.
  for (const std::string& directory : nativePath.directories) addDllDirectory(directory);

  if (SetEnvironmentVariableA("PATH", nativePath.path.c_str())) {
    logPrint(L"Setting PATH (native libs) %S", nativePath.path);
  } else {
    int error = static_cast<int>(GetLastError());
    logError(L"Setting PATH (native libs) %S failed with error %d", nativePath.path, error);
  }
  // getenv reads the C runtime's own copy of the environment; keep both views alike.
  _putenv(("PATH=" + nativePath.path).c_str());
}

DllDirectoryCookie addDllDirectory(const std::string& directory) {
  auto add = systemFunction<AddDllDirectoryFunction>(L"kernel32.dll", "AddDllDirectory");
  if (!add) return nullptr;
  std::wstring wide = narrowToWide(directory);
  if (wide.empty()) return nullptr;
  logPrint(L"Adding DLL directory %s", wide);
  return add(wide.c_str());
}

void removeDllDirectory(DllDirectoryCookie cookie) {
  if (!cookie) return;
  auto remove = systemFunction<RemoveDllDirectoryFunction>(L"kernel32.dll", "RemoveDllDirectory");
  if (!remove) return;
  logPrint(L"Removing DLL directory");
  remove(cookie);
}

} // namespace lnx
