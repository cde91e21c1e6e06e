#include "runtime/search_entries.h"

namespace lnx {

std::vector<SearchEntry> parseSearchSequence(const std::string& sequence) {
  std::vector<SearchEntry> entries;
  size_t start = 0;
  while (start < sequence.size()) {
    size_t end = sequence.find(';', start);
    if (end == std::string::npos) end = sequence.size();
    if (end > start) entries.push_back({sequence[start], sequence.substr(start + 1, end - start - 1)});
    start = end + 1;
  }
  return entries;
}

bool takesPartInRelativePass(const SearchEntry& entry) {
  if (entry.type == 'B') return true;
  if (entry.type != 'A' && entry.type != 'R') return false;
  const std::string& text = entry.text;
  bool absolute = text.size() > 1 && (text[1] == ':' || (text[0] == '\\' && text[1] == '\\'));
  return !absolute;
}

std::string locationFileLine(const std::string& content) {
  std::string line = content.substr(0, content.find('\n'));
  if (line.size() > 5999) line.resize(5999);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

} // namespace lnx
