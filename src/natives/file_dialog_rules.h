#pragma once
// What the file chooser natives ask of the system open and save dialogs: the options, the
// file types offered and the check boxes, worked out from the Java arguments. The Win32
// side makes the calls.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lnx {

// The visual group that holds the check boxes when there is more than one.
constexpr uint32_t kCheckBoxGroupId = 100000;
constexpr wchar_t kCheckBoxGroupLabel[] = L"Options:";

// The dialog's options: the bits to set added to the current ones, then the bits to clear
// taken away.
uint32_t fileDialogOptions(uint32_t current, uint32_t toSet, uint32_t toClear);

struct FileTypeChoice {
  size_t count = 0;                 // (name, pattern) pairs offered, from the first on
  std::optional<uint32_t> selected; // 1-based type to select; nothing keeps the default
};

// Types are offered only in pairs, so names without patterns (or the other way round) are
// left out. A 0-based filter index selects its type when there is one; a negative one (or
// one past the types) leaves the dialog's default.
FileTypeChoice fileTypeChoice(size_t nameCount, size_t patternCount, int32_t filterIndex);

struct CheckBox {
  uint32_t id;  // its position + 1
  bool checked; // initial state
};

struct CheckBoxLayout {
  bool grouped = false; // inside the group kCheckBoxGroupId, labelled kCheckBoxGroupLabel
  std::vector<CheckBox> boxes;
};

// One check box per label, in order; a label without a state starts clear.
CheckBoxLayout checkBoxLayout(size_t labelCount, const std::vector<bool>& states);

} // namespace lnx
