#pragma once
// The lines of a small text file that a test wrote, with LF or CRLF ends.
#include <string>
#include <vector>

namespace standin {

// The lines without their ends; a last line without an end counts too.
std::vector<std::string> textLines(const std::string& text);

} // namespace standin
