#include <windows.h>

#include "win32/environment.h"

namespace lnx {

namespace {

DWORD readVariable(const std::string& name, char* value, DWORD size) {
  return GetEnvironmentVariableA(name.c_str(), value, size);
}
DWORD readVariable(const std::wstring& name, wchar_t* value, DWORD size) {
  return GetEnvironmentVariableW(name.c_str(), value, size);
}

template <class String> std::optional<String> variableOf(const String& name) {
  String value;
  // The value may grow between the size query and the read: ask again until it fits.
  for (DWORD size = readVariable(name, nullptr, 0); size > 0;) {
    value.resize(size);
    DWORD length = readVariable(name, &value[0], size);
    if (length < size) {
      value.resize(length);
      return value;
    }
    size = length;
  }
  if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return String();
}

} // namespace

std::optional<std::string> environmentVariable(const std::string& name) { return variableOf(name); }
std::optional<std::wstring> environmentVariable(const std::wstring& name) { return variableOf(name); }

} // namespace lnx
