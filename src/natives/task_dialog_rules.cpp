#include "natives/task_dialog_rules.h"

namespace lnx {

namespace {

constexpr uint32_t kPositionRelativeToWindow = 0x1000; // TDF_POSITION_RELATIVE_TO_WINDOW
constexpr uint32_t kMainIconIsHandle = 0x2;            // TDF_USE_HICON_MAIN
constexpr uint32_t kCallbackTimer = 0x800;             // TDF_CALLBACK_TIMER
constexpr uint32_t kNoSizeNoMove = 0x3;                // SWP_NOSIZE | SWP_NOMOVE
constexpr uint32_t kNoActivate = 0x10;                 // SWP_NOACTIVATE
constexpr uint32_t kActivatingTicks = 5;

} // namespace

int32_t taskButtonId(int32_t position) { return kFirstTaskButtonId + position; }

int32_t defaultTaskButtonId(int32_t position, size_t buttonCount) {
  return position >= 0 && static_cast<size_t>(position) < buttonCount ? taskButtonId(position) : 0;
}

uint32_t taskDialogFlags(uint32_t javaFlags, bool relativeToParent) {
  return javaFlags | kMainIconIsHandle | kCallbackTimer | (relativeToParent ? kPositionRelativeToWindow : 0);
}

int32_t taskDialogResult(int32_t pressedId, bool verificationChecked) {
  int32_t result = pressedId < kFirstTaskButtonId ? kNoTaskButtonResult : pressedId - (kFirstTaskButtonId - 1);
  return verificationChecked ? -result : result;
}

uint32_t behindParentFlags(uint32_t tick) {
  return tick < kActivatingTicks ? kNoSizeNoMove : kNoSizeNoMove | kNoActivate;
}

} // namespace lnx
