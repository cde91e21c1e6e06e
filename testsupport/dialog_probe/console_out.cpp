#include "console_out.h"

#include <windows.h>

#include "text/utf16.h"

namespace probe {
namespace {

// WriteFile rather than the C runtime: no code page conversion and no buffering, so a
// reader sees each line even if the probe is killed right after.
void writeTo(DWORD standardHandle, const std::string& utf8Line) {
  HANDLE target = GetStdHandle(standardHandle);
  if (target == nullptr || target == INVALID_HANDLE_VALUE)
    return;
  std::string bytes = utf8Line + "\n";
  DWORD written = 0;
  WriteFile(target, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

std::string toUtf8(const std::wstring& text) { return lnx::wideToUtf8(text); }

void writeLine(const std::string& utf8Line) {
  writeTo(STD_OUTPUT_HANDLE, utf8Line);
}

void writeErrorLine(const std::string& utf8Line) {
  writeTo(STD_ERROR_HANDLE, utf8Line);
}

} // namespace probe
