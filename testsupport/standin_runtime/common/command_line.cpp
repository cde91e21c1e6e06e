#include "command_line.h"

#include <windows.h>

#include "text/utf16.h"

namespace standin {

std::string toUtf8(const std::wstring& text) { return lnx::wideToUtf8(text); }

std::string commandLineUtf8() {
  return toUtf8(GetCommandLineW());
}

} // namespace standin
