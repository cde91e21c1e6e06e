#pragma once
// Whole files as bytes: the stand-ins' inputs and outputs are all small.
#include <optional>
#include <string>

namespace standin {

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::wstring& path);
// Creates or replaces the file with bytes; on failure no file is left at path.
bool writeWholeFile(const std::wstring& path, const std::string& bytes);

} // namespace standin
