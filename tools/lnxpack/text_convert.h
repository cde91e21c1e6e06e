#pragma once
// Project files and lnxpack's output are UTF-8; the Payload holds narrow text (configuration
// values, file names, locale names) and UTF-16 messages. The builder's narrow text is
// Latin-1 on every platform, which Windows code page 1252 reads alike but for U+0080 to
// U+009F (refused by the project checks).
#include <string>

namespace lnx::pack {

// False when a character has no narrow form; narrow then holds "?" in its place.
bool utf8ToPayloadNarrow(const std::string& utf8, std::string& narrow);
std::wstring payloadNarrowToWide(const std::string& narrow);
std::string payloadNarrowToUtf8(const std::string& narrow);

} // namespace lnx::pack
