#include "natives/environment_block.h"

namespace lnx {

std::vector<std::u16string> environmentEntries(const char16_t* block) {
  std::vector<std::u16string> entries;
  if (!block) return entries;
  for (const char16_t* entry = block; *entry != u'\0';) {
    entries.emplace_back(entry);
    entry += entries.back().size() + 1;
  }
  return entries;
}

} // namespace lnx
