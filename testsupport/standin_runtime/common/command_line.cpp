#include "command_line.h"

#include <windows.h>

namespace standin {

std::string toUtf8(const std::wstring& text) {
  if (text.empty())
    return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

std::string commandLineUtf8() {
  return toUtf8(GetCommandLineW());
}

} // namespace standin
