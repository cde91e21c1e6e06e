#pragma once
// Project files and lnxpack's output are UTF-8; the Payload holds narrow text in the
// Windows code page (configuration values, file names, locale names) and UTF-16 messages.
// Narrow text goes through the core's code-page conversion, which on the host is Latin-1.
#include <string>

namespace lnx::pack {

// False when a character has no narrow form; narrow then holds "?" in its place.
bool utf8ToPayloadNarrow(const std::string& utf8, std::string& narrow);
std::string payloadNarrowToUtf8(const std::string& narrow);

} // namespace lnx::pack
