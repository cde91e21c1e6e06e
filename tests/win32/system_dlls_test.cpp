// System libraries loaded by name from the system directory alone, also where the loader
// refuses LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 7 and Vista without KB2533623).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/system_dlls.h"

namespace lnx {
namespace {

// Whether the module was loaded from the system directory's file of that name.
bool isSystemFile(HMODULE module, const wchar_t* name) {
  wchar_t directory[MAX_PATH], loaded[MAX_PATH];
  std::wstring expected(directory, GetSystemDirectoryW(directory, MAX_PATH));
  std::wstring actual(loaded, GetModuleFileNameW(module, loaded, MAX_PATH));
  return lstrcmpiW((expected + L"\\" + name).c_str(), actual.c_str()) == 0;
}

// The flagged load of a system without the loader update, or one failing otherwise.
struct RefusedLoad {
  int calls = 0;
  std::wstring name;
  DWORD flags = 0;
  DWORD error = ERROR_INVALID_PARAMETER;
} refused;

HMODULE WINAPI refusingLoad(const wchar_t* name, HANDLE, DWORD flags) {
  ++refused.calls;
  refused.name = name;
  refused.flags = flags;
  SetLastError(refused.error);
  return nullptr;
}

TEST(SystemDlls, WithTheFlagOrWhereItIsRefusedTheSystemDirectorysLibraryIsLoaded) {
  HMODULE module = loadSystemLibrary(L"wininet.dll");
  ASSERT_TRUE(module);
  EXPECT_TRUE(isSystemFile(module, L"wininet.dll"));

  refused = {};
  module = loadSystemLibrary(L"comdlg32.dll", refusingLoad);
  EXPECT_EQ(1, refused.calls);
  EXPECT_EQ(L"comdlg32.dll", refused.name);
  EXPECT_EQ(static_cast<DWORD>(LOAD_LIBRARY_SEARCH_SYSTEM32), refused.flags);
  ASSERT_TRUE(module) << "the full path in the system directory";
  EXPECT_TRUE(isSystemFile(module, L"comdlg32.dll"));

  refused = {};
  refused.error = ERROR_MOD_NOT_FOUND;
  EXPECT_EQ(nullptr, loadSystemLibrary(L"comdlg32.dll", refusingLoad)) << "only the refused flag is retried";
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

// A library beside the program, where a search by name looks first, is never taken for one
// of the system directory. A copy of the test program serves as that library.
TEST(SystemDlls, ALibraryBesideTheProgramIsNotTakenForASystemOne) {
  wchar_t program[MAX_PATH];
  std::wstring planted(program, GetModuleFileNameW(nullptr, program, MAX_PATH));
  planted = planted.substr(0, planted.find_last_of(L'\\') + 1) + L"lnx_planted_system_library.dll";
  ASSERT_TRUE(CopyFileW(program, planted.c_str(), FALSE));
  HMODULE direct = LoadLibraryExW(planted.c_str(), nullptr, 0);
  ASSERT_TRUE(direct) << "a copy that does not load at all would prove nothing";
  FreeLibrary(direct);
  refused = {};
  HMODULE module = loadSystemLibrary(L"lnx_planted_system_library.dll", refusingLoad);
  if (module) FreeLibrary(module);
  DeleteFileW(planted.c_str());
  EXPECT_EQ(nullptr, module);
}

} // namespace
} // namespace lnx
