#include <windows.h>

#include "win32/environment.h"

namespace lnx {

std::optional<std::string> environmentVariable(const std::string& name) {
  std::string value;
  // The value may grow between the size query and the read: ask again until it fits.
  for (DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0); size > 0;) {
    value.resize(size);
    DWORD length = GetEnvironmentVariableA(name.c_str(), &value[0], size);
    if (length < size) {
      value.resize(length);
      return value;
    }
    size = length;
  }
  if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return std::string();
}

} // namespace lnx
