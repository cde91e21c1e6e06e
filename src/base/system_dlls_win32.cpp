#include <windows.h>

#include <string>

#include "base/system_dlls.h"

namespace lnx {

void preloadSystemDlls() {
  static bool done = false;
  if (done) return;
  done = true;
  LoadLibraryW(L"davhlpr.dll");
  LoadLibraryW(L"fwbase.dll");
}

HMODULE loadSystemLibrary(const wchar_t* name, FlaggedLibraryLoad flaggedLoad) {
  HMODULE module = flaggedLoad(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  UINT length = GetSystemDirectoryW(nullptr, 0); // with the terminating zero
  if (length == 0) return nullptr;
  std::wstring path(length, L'\0');
  length = GetSystemDirectoryW(&path[0], length);
  if (length == 0 || length >= path.size()) return nullptr;
  path.resize(length);
  path += L"\\";
  path += name;
  // The library's own imports are looked for beside it first.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace lnx
