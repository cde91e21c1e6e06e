#pragma once
// Environment variables of the process at their real size (PATH easily outgrows any fixed
// buffer), in the 8-bit form the launcher's options use or in UTF-16.
#include <optional>
#include <string>

namespace lnx {

// The variable's value; nothing when it is not set.
std::optional<std::string> environmentVariable(const std::string& name);
std::optional<std::wstring> environmentVariable(const std::wstring& name);

} // namespace lnx
