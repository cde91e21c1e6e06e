// The native of the Java class Win32Exec: starts a process with the launcher's environment
// and current directory and does not wait for it.
#include <windows.h>

#include <optional>
#include <string>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

// 0 when the process was created, else the Windows error code.
DWORD launchProcess(const std::optional<std::wstring>& applicationName, std::optional<std::wstring> commandLine) {
  // Without both there is nothing to start (and CreateProcessW would read the missing
  // command line).
  if (!applicationName && !commandLine) return ERROR_INVALID_PARAMETER;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // The command line is this call's own copy: CreateProcessW may write into it.
  if (!CreateProcessW(wideOrNull(applicationName), commandLine ? commandLine->data() : nullptr, nullptr, nullptr, FALSE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &started))
    return GetLastError();
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  return ERROR_SUCCESS;
}

} // namespace

} // namespace lnx

// Exported only under its decorated name (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Exec_launch0(JNIEnv* env, jclass,
                                                                                   jstring applicationName,
                                                                                   jstring commandLine) try {
  return static_cast<jint>(
      lnx::launchProcess(lnx::javaStringToWide(env, applicationName), lnx::javaStringToWide(env, commandLine)));
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Exec_launch0, 16);

} // extern "C"
