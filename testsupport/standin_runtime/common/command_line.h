#pragma once
// What a stand-in was started with, for its log: the raw command line shows how the
// caller quoted it, which parsed arguments would hide.
#include <string>

namespace standin {

std::string toUtf8(const std::wstring& text);
// This process's command line as UTF-8, exactly as the creator of the process gave it.
std::string commandLineUtf8();

} // namespace standin
