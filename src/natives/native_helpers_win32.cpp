#include <windows.h>

#include <mutex>

#include "launcher/process_setup.h"
#include "natives/native_helpers.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

std::mutex shellLock;
ShellFunctions loadedShell;

template <typename Function> Function procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

std::optional<std::wstring> javaStringToWide(JNIEnv* env, jstring string) {
  if (!string)
    return std::nullopt;
  jsize length = env->GetStringLength(string);
  const jchar* characters = env->GetStringChars(string, nullptr);
  if (!characters)
    return std::wstring();
  std::wstring text(reinterpret_cast<const wchar_t*>(characters), static_cast<size_t>(length));
  env->ReleaseStringChars(string, characters);
  return text;
}

bool enablePrivilege(const wchar_t* privilegeName, bool enable) {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
    return false;
  KernelHandle token(opened);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  if (!LookupPrivilegeValueW(nullptr, privilegeName, &privileges.Privileges[0].Luid))
    return false;
  SetLastError(0);
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  // Success that did not assign the privilege leaves ERROR_NOT_ALL_ASSIGNED.
  return GetLastError() == 0;
}

bool loadShellFunctions() {
  std::lock_guard<std::mutex> locked(shellLock);
  if (loadedShell.changeNotify && loadedShell.shellExecute)
    return true;
  preloadSystemDlls();
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell)
    return false;
  loadedShell.changeNotify = procedure<ShChangeNotifyFunction>(shell, "SHChangeNotify");
  loadedShell.shellExecute = procedure<ShellExecuteWFunction>(shell, "ShellExecuteW");
  return loadedShell.changeNotify && loadedShell.shellExecute;
}

ShellFunctions shellFunctions() {
  std::lock_guard<std::mutex> locked(shellLock);
  return loadedShell;
}

} // namespace lnx
