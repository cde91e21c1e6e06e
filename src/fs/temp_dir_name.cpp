#include <cctype>

#include "fs/temp_dir.h"

namespace lnx {

std::string tempDirNameFile(const std::string& tempDir) {
  size_t marker = tempDir.rfind("_dir");
  if (marker == std::string::npos || marker == 0) return std::string();
  size_t digits = marker + 4;
  if (digits < tempDir.size() && tempDir[digits] == '-') ++digits;
  if (digits == tempDir.size()) return std::string();
  for (size_t i = digits; i < tempDir.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(tempDir[i]))) return std::string();
  return tempDir.substr(0, marker);
}

} // namespace lnx
