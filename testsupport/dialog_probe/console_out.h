#pragma once
// UTF-8 lines on the standard handles, byte for byte whatever the console code page is.
#include <string>

namespace probe {

std::string toUtf8(const std::wstring& text);
void writeLine(const std::string& utf8Line);
void writeErrorLine(const std::string& utf8Line);

} // namespace probe
