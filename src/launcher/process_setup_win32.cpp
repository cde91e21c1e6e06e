#include <windows.h>

#include "launcher/process_setup.h"
#include "base/system_dlls.h"
#include "log/log.h"
#include "win32/procedure.h"

namespace lnx {

void restrictDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  if (version.dwMajorVersion == 6 && version.dwMinorVersion == 0) return;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefaultDllDirectories = procedureOf<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
  if (setDefaultDllDirectories) {
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    logPrint(L"restrict DLL directories");
  }
}

void loadCommonControls() {
  HMODULE controls = GetModuleHandleA("comctl32.dll");
  if (!controls) controls = loadSystemLibrary(L"comctl32.dll");
  if (!controls) return;
  using InitCommonControlsFn = void(WINAPI*)();
  auto init = procedureOf<InitCommonControlsFn>(controls, "InitCommonControls");
  if (init) init();
}

} // namespace lnx
