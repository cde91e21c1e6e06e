#include "natives/file_dialog_rules.h"

#include <algorithm>

namespace lnx {

uint32_t fileDialogOptions(uint32_t current, uint32_t toSet, uint32_t toClear) { return (toSet | current) & ~toClear; }

FileTypeChoice fileTypeChoice(size_t nameCount, size_t patternCount, int32_t filterIndex) {
  FileTypeChoice choice;
  choice.count = std::min(nameCount, patternCount);
  if (filterIndex >= 0 && static_cast<size_t>(filterIndex) < choice.count)
    choice.selected = static_cast<uint32_t>(filterIndex) + 1;
  return choice;
}

CheckBoxLayout checkBoxLayout(size_t labelCount, const std::vector<bool>& states) {
  CheckBoxLayout layout;
  layout.grouped = labelCount > 1;
  for (size_t index = 0; index < labelCount; ++index)
    layout.boxes.push_back({static_cast<uint32_t>(index + 1), index < states.size() && states[index]});
  return layout;
}

} // namespace lnx
