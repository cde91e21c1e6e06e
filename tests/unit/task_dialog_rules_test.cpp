#include "natives/task_dialog_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace lnx {
namespace {

TEST(TaskDialogRules, ButtonsAreNumberedFrom101AndAWrongDefaultNamesNone) {
  EXPECT_EQ(101, taskButtonId(0));
  EXPECT_EQ(103, taskButtonId(2));
  EXPECT_EQ(102, defaultTaskButtonId(1, 2));
  EXPECT_EQ(0, defaultTaskButtonId(2, 2)) << "past the last button";
  EXPECT_EQ(0, defaultTaskButtonId(-1, 2));
  EXPECT_EQ(0, defaultTaskButtonId(INT_MAX, 2));
  EXPECT_EQ(0, defaultTaskButtonId(0, 0)) << "no buttons";
}

TEST(TaskDialogRules, TheParentAddsRelativePositionToTheFixedFlags) {
  EXPECT_EQ(0x802u, taskDialogFlags(0, false)) << "main icon as a handle, timer";
  EXPECT_EQ(0x1802u, taskDialogFlags(0, true));
  EXPECT_EQ(0x1A4Au, taskDialogFlags(0x248, true)) << "the Java flags pass unchanged";
  EXPECT_EQ(0xFFFFFFFFu, taskDialogFlags(0xFFFFFFFF, false));
}

TEST(TaskDialogRules, ResultNamesTheButtonAndTheCheckBoxByItsSign) {
  EXPECT_EQ(1, taskDialogResult(101, false));
  EXPECT_EQ(2, taskDialogResult(102, false));
  EXPECT_EQ(-2, taskDialogResult(102, true));
  EXPECT_EQ(1000, taskDialogResult(2, false)) << "IDCANCEL: closed without a custom button";
  EXPECT_EQ(1000, taskDialogResult(100, false));
  EXPECT_EQ(1000, taskDialogResult(0, false)) << "no button at all";
  EXPECT_EQ(-1000, taskDialogResult(2, true));
}

TEST(TaskDialogRules, StaysBehindTheParentWithoutActivationAfterFiveTicks) {
  for (uint32_t tick = 0; tick < 5; ++tick)
    EXPECT_EQ(0x3u, behindParentFlags(tick)) << tick;
  EXPECT_EQ(0x13u, behindParentFlags(5));
  EXPECT_EQ(0x13u, behindParentFlags(UINT32_MAX));
}

} // namespace
} // namespace lnx
