// The restart request's privilege step. A successful request would restart the test
// world's Wine session, so only the refusal is tested here (the restart itself runs in a
// throw-away world, tests/e2e/test_reboot.py).
#include <gtest/gtest.h>
#include <windows.h>

#include "cleanup/reboot.h"
#include "win32/privileges.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

// Takes the privilege out of this process's token for good, as a user who lacks it.
bool removeShutdownPrivilege() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return false;
  KernelHandle token(opened);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_REMOVED;
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
  SetLastError(0);
  return AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) && GetLastError() == 0;
}

TEST(Reboot, WithoutTheShutdownPrivilegeNoRestartIsRequested) {
  ASSERT_TRUE(removeShutdownPrivilege());
  // Only once the privilege is surely gone may rebootNow run: with it, Wine would restart.
  ASSERT_FALSE(enablePrivilege(L"SeShutdownPrivilege", true));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED), GetLastError());
  EXPECT_FALSE(rebootNow());
}

} // namespace
} // namespace lnx
