#pragma once
// How the task dialog native numbers its custom buttons, which flags it adds to the Java
// side's, and the result code it composes from the pressed button and the check box.
#include <cstddef>
#include <cstdint>

namespace lnx {

// The first custom button's id; the others follow in array order.
constexpr int32_t kFirstTaskButtonId = 101;
// The result when no custom button closed the dialog (or it could not be shown).
constexpr int32_t kNoTaskButtonResult = 1000;

// The id of the custom button at a 0-based position.
int32_t taskButtonId(int32_t position);

// The id of the default button; 0 (the dialog's first button) for a position that names
// no button.
int32_t defaultTaskButtonId(int32_t position, size_t buttonCount);

// The Java flags with the main icon given as a handle and the timer on; placed over the
// parent when one is given and not minimised.
uint32_t taskDialogFlags(uint32_t javaFlags, bool relativeToParent);

// 1 to n for the n-th custom button, kNoTaskButtonResult for any other id; negated when the
// verification box was checked.
int32_t taskDialogResult(int32_t pressedId, bool verificationChecked);

// SetWindowPos flags that keep the dialog behind its parent on the given timer tick
// (counted from 0): neither moved nor sized, and from the sixth tick on not activated.
uint32_t behindParentFlags(uint32_t tick);

} // namespace lnx
