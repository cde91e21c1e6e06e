#include <windows.h>

#include "win32/privileges.h"
#include "win32/unique_handle.h"

namespace lnx {

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

} // namespace lnx
