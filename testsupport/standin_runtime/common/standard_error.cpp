#include "standard_error.h"

#include <windows.h>

namespace standin {

void writeStandardError(const std::string& text) {
  HANDLE target = GetStdHandle(STD_ERROR_HANDLE);
  if (target == nullptr || target == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(target, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace standin
