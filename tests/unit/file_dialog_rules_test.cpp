#include "natives/file_dialog_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace lnx {
namespace {

TEST(FileDialogRules, ClearedBitsWinOverSetAndCurrentOnes) {
  EXPECT_EQ(0x1A08u, fileDialogOptions(0x1808, 0x200, 0)) << "multiple selection added";
  EXPECT_EQ(0x1800u, fileDialogOptions(0x1808, 0, 0x8)) << "a current bit cleared";
  EXPECT_EQ(0x1808u, fileDialogOptions(0x1808, 0x200, 0x200)) << "set and cleared: cleared";
  EXPECT_EQ(0x7FFFFFFFu, fileDialogOptions(0, 0xFFFFFFFF, 0x80000000)) << "every bit passed unchanged";
}

TEST(FileDialogRules, FileTypesComeInPairsAndTheIndexSelectsOneOfThem) {
  FileTypeChoice second = fileTypeChoice(3, 3, 1);
  EXPECT_EQ(3u, second.count);
  EXPECT_EQ(2u, second.selected.value_or(0)) << "the 0-based index selects the 1-based type";
  EXPECT_EQ(1u, fileTypeChoice(3, 3, 0).selected.value_or(0));
  EXPECT_FALSE(fileTypeChoice(3, 3, -1).selected) << "a negative index keeps the default";
  EXPECT_FALSE(fileTypeChoice(3, 3, 3).selected) << "an index past the types keeps the default";

  EXPECT_EQ(2u, fileTypeChoice(3, 2, 0).count) << "a name without a pattern is left out";
  EXPECT_EQ(2u, fileTypeChoice(2, 5, 0).count) << "a pattern without a name is left out";
  FileTypeChoice unpaired = fileTypeChoice(2, 0, 0);
  EXPECT_EQ(0u, unpaired.count) << "names without any patterns offer nothing";
  EXPECT_FALSE(unpaired.selected);
}

TEST(FileDialogRules, MoreThanOneCheckBoxShareTheGroup) {
  CheckBoxLayout none = checkBoxLayout(0, {true});
  EXPECT_FALSE(none.grouped);
  EXPECT_TRUE(none.boxes.empty());

  CheckBoxLayout one = checkBoxLayout(1, {true});
  EXPECT_FALSE(one.grouped) << "a single check box stands alone";
  ASSERT_EQ(1u, one.boxes.size());
  EXPECT_EQ(1u, one.boxes[0].id);
  EXPECT_TRUE(one.boxes[0].checked);

  CheckBoxLayout three = checkBoxLayout(3, {false, true});
  EXPECT_TRUE(three.grouped);
  ASSERT_EQ(3u, three.boxes.size());
  for (size_t index = 0; index < 3; ++index)
    EXPECT_EQ(index + 1, three.boxes[index].id) << "ids follow the positions from 1";
  EXPECT_FALSE(three.boxes[0].checked);
  EXPECT_TRUE(three.boxes[1].checked);
  EXPECT_FALSE(three.boxes[2].checked) << "a label without a state starts clear";
  EXPECT_FALSE(checkBoxLayout(2, {}).boxes[1].checked) << "no states at all";
}

} // namespace
} // namespace lnx
