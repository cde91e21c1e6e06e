#pragma once
// Text on the standard error handle, byte for byte: the launcher hands java.exe a file
// there and reads it back, so no code page conversion or buffering may come between.
#include <string>

namespace standin {

void writeStandardError(const std::string& text);

} // namespace standin
