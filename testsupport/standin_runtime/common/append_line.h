#pragma once
// The stand-ins' logs: one line per event, appended, so a test counts what happened.
#include <string>

namespace standin {

// Appends line and CRLF to the file at path, creating it. Processes running at the same
// time may append to one file; each line arrives whole.
void appendLine(const std::wstring& path, const std::string& line);

} // namespace standin
