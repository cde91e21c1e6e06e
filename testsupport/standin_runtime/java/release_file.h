#pragma once
// The runtime's `release` file: lines of KEY="value", the runtime's own statement of
// its version, which the stand-in java.exe reports.
#include <optional>
#include <string>

namespace standin {

// The value of `key` with its quotes removed; nothing when no line sets the key.
std::optional<std::string> releaseValue(const std::string& releaseText, const std::string& key);

} // namespace standin
