#include "release_file.h"

#include "text_lines.h"

namespace standin {

std::optional<std::string> releaseValue(const std::string& releaseText, const std::string& key) {
  const std::string prefix = key + "=";
  for (const std::string& line : textLines(releaseText)) {
    if (line.compare(0, prefix.size(), prefix) != 0)
      continue;
    std::string value = line.substr(prefix.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return std::nullopt;
}

} // namespace standin
