#include "lnxpack/project_checks.h"

#include <cstdint>
#include <set>

namespace lnx::pack {

namespace {

using Json = nlohmann::json;

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

bool isInt32(const Json& value) {
  if (value.is_number_unsigned()) return value.get<uint64_t>() <= INT32_MAX;
  return value.is_number_integer() && value.get<int64_t>() >= INT32_MIN && value.get<int64_t>() <= INT32_MAX;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

bool isDecimalInt32(const std::string& text) {
  size_t digits = text.size() - (!text.empty() && text[0] == '-');
  if (digits == 0 || digits > 10) return false;
  for (size_t i = text.size() - digits; i < text.size(); ++i)
    if (!isDigit(text[i])) return false;
  long long number = std::stoll(text);
  return number >= INT32_MIN && number <= INT32_MAX;
}

// Empty, or runs of digits separated by single ".", "_" or "-".
bool isVersionText(const std::string& text) {
  bool afterDigit = false;
  for (char c : text) {
    if (!isDigit(c) && (!afterDigit || (c != '.' && c != '_' && c != '-'))) return false;
    afterDigit = isDigit(c);
  }
  return text.empty() || afterDigit;
}

bool isOneOf(const Json& value, std::initializer_list<const char*> texts) {
  if (!value.is_string()) return false;
  for (const char* text : texts)
    if (value.get<std::string>() == text) return true;
  return false;
}

std::string upperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 and COM or LPT with a superscript digit (with or
// without an extension) and parts ending in a
// dot or a space name no file of their own on Windows.
std::optional<std::string> windowsPartProblem(const std::string& part) {
  if (part.back() == '.' || part.back() == ' ') return "ends in a dot or a space, which Windows drops";
  std::string base = upperAscii(part.substr(0, part.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const std::set<std::string> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  bool numbered = base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
                  (isDigit(base[3]) || std::string("\xB9\xB2\xB3").find(base[3]) != std::string::npos);
  if (devices.count(base) || numbered) return "is a device name on Windows (" + base + "), not a file";
  return std::nullopt;
}

} // namespace

std::optional<std::string> configValueProblem(ConfigKind kind, const Json& value) {
  switch (kind) {
  case ConfigKind::Flag:
    if (value.is_boolean() || (isInt32(value) && (value == 0 || value == 1)) || isOneOf(value, {"0", "1"}))
      return std::nullopt;
    return "must be true or false (the launcher reads a flag as a number, so a word such as \"yes\" is false)";
  case ConfigKind::Integer:
    if (isInt32(value) || (value.is_string() && isDecimalInt32(value.get<std::string>()))) return std::nullopt;
    return "must be a whole number (the launcher reads it with atoi)";
  case ConfigKind::Version: {
    if (isInt32(value) || (value.is_string() && isVersionText(value.get<std::string>())))
      return std::nullopt;
    return "must be a Java version such as \"1.8\" or \"11.0.2\" (numbers separated by \".\" or \"_\"), or \"\" "
           "for none";
  }
  case ConfigKind::FamilyLetter:
    if (isOneOf(value, {"i", "e"})) return std::nullopt;
    return "must be \"i\" (lanternix names) or \"e\" (morva names); the launcher reads only that letter";
  case ConfigKind::Text:
  case ConfigKind::WideText:
    if (value.is_string() || isInt32(value)) return std::nullopt;
    return std::string("must be a string, not ") + value.type_name();
  }
  return std::nullopt;
}

std::optional<std::string> localeNameProblem(const std::string& name) {
  bool language = name.size() >= 2 && isLower(name[0]) && isLower(name[1]);
  bool country = name.size() == 5 && name[2] == '_' && isUpper(name[3]) && isUpper(name[4]);
  if (language && (name.size() == 2 || country)) return std::nullopt;
  std::string problem = inQuotes(name) + " is not a locale name the launcher matches: write a two-letter language "
                                         "in lower case, optionally \"_\" and a two-letter country in upper case "
                                         "(\"zh\", \"zh_CN\")";
  if (name.empty()) problem += "; messages for every locale belong under \"messages\"";
  return problem;
}

std::optional<std::string> fileNameProblem(const std::string& name) {
  if (name.empty()) return "the name is empty";
  std::string quoted = "the name " + inQuotes(name);
  if (name.find(';') != std::string::npos) return quoted + " contains \";\", the separator of the name list";
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || std::string("/:*?\"<>|").find(c) != std::string::npos)
      return quoted + " contains a character that Windows file names cannot hold (directories are separated by "
                      "\"\\\")";
  size_t separator = name.find('\\');
  if (separator != std::string::npos && name.find('\\', separator + 1) != std::string::npos)
    return quoted + " has more than one directory level";
  std::string directory = separator == std::string::npos ? "" : name.substr(0, separator);
  std::string leaf = separator == std::string::npos ? name : name.substr(separator + 1);
  bool badDirectory =
      separator != std::string::npos && (directory.empty() || directory == "." || directory == "..");
  if (badDirectory || leaf.empty() || leaf == "." || leaf == "..")
    return quoted + " has an empty, \".\" or \"..\" part";
  for (const std::string& part : {directory, leaf})
    if (!part.empty())
      if (std::optional<std::string> problem = windowsPartProblem(part))
        return quoted + ": " + inQuotes(part) + " " + *problem;
  return std::nullopt;
}

std::optional<std::string> narrowTextProblem(const std::string& narrow, const std::string& utf8) {
  for (char c : narrow)
    if (static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) <= 0x9F)
      return inQuotes(utf8) + " has control characters U+0080 to U+009F, which the usual Windows code page "
                              "(1252) shows as other letters";
  return std::nullopt;
}

} // namespace lnx::pack
