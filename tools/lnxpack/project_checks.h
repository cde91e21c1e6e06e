#pragma once
// Checks of the texts a project gives the launcher, made before anything is written. Each
// returns the problem in words for the user, or nothing when the text is fine.
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "payload/catalogue.h"

namespace lnx::pack {

// The launcher copies values and messages through buffers of 6000 characters.
constexpr size_t kMaxLauncherText = 5999;

// A configuration value as the project gives it, against what the launcher reads for its
// kind: flags, whole numbers, Java versions, the family letter; texts are strings or
// integers.
std::optional<std::string> configValueProblem(ConfigKind kind, const nlohmann::json& value);

// A localised set's name: the form of the locales the launcher chooses ("zh", "zh_CN").
std::optional<std::string> localeNameProblem(const std::string& name);

// An included file's name (narrow): one directory level at most, no characters or
// names that Windows refuses (CON, NUL, COM1, ..., trailing dots and spaces).
std::optional<std::string> fileNameProblem(const std::string& name);

// Narrow text whose bytes 0x80-0x9F are other characters in the usual Windows code page.
std::optional<std::string> narrowTextProblem(const std::string& narrow, const std::string& utf8);

} // namespace lnx::pack
