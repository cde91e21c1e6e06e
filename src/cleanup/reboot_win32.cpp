#include <windows.h>

#include "cleanup/reboot.h"
#include "win32/privileges.h"

namespace lnx {
namespace {

constexpr DWORD kRebootDelayMs = 5000;

} // namespace

bool rebootNow() {
  // A token without the privilege leaves a non-zero last error, and no restart is asked for.
  if (!enablePrivilege(L"SeShutdownPrivilege", true)) return false;
  return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}

void rebootAfterDelay() {
  Sleep(kRebootDelayMs);
  rebootNow();
}

} // namespace lnx
