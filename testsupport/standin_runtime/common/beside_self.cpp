#include "beside_self.h"

#include <windows.h>

namespace standin {
namespace {

// By address rather than GetModuleHandle(nullptr): inside jvm.dll that would name the
// loading executable, not the dll.
HMODULE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ownModule), &module);
  return module;
}

std::wstring ownModulePath() {
  HMODULE module = ownModule();
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

} // namespace

std::wstring besideSelf(const std::wstring& name) {
  std::wstring path = ownModulePath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

} // namespace standin
