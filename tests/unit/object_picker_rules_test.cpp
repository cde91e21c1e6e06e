#include "natives/object_picker_rules.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

TEST(ObjectPickerRules, LocalComputerOnlyNarrowsTheScopeNotTheFilters) {
  ObjectPickerKinds everything{true, true, true};
  ObjectPickerScope local = objectPickerScope(everything, true);
  ObjectPickerScope anywhere = objectPickerScope(everything, false);
  EXPECT_EQ(0x1u, local.type);
  EXPECT_EQ(0x36Fu, anywhere.type);
  for (const ObjectPickerScope& scope : {local, anywhere}) {
    EXPECT_EQ(0xC0u, scope.flags);
    EXPECT_EQ(0x3FEu, scope.upLevelFilter);
    EXPECT_EQ(0x80020007u, scope.downLevelFilter) << "with groups: every well-known SID";
  }
}

TEST(ObjectPickerRules, EachKindAddsItsFilters) {
  ObjectPickerScope groups = objectPickerScope({true, false, false}, true);
  EXPECT_EQ(0x3F4u, groups.upLevelFilter);
  EXPECT_EQ(0x80000006u, groups.downLevelFilter);
  ObjectPickerScope users = objectPickerScope({false, true, false}, true);
  EXPECT_EQ(0x2u, users.upLevelFilter);
  EXPECT_EQ(0x80000001u, users.downLevelFilter);
  ObjectPickerScope usersAndPrincipals = objectPickerScope({false, true, true}, false);
  EXPECT_EQ(0xAu, usersAndPrincipals.upLevelFilter);
  EXPECT_EQ(0x800C4001u, usersAndPrincipals.downLevelFilter)
      << "without groups only local system, local service and network service";
  ObjectPickerScope nothing = objectPickerScope({}, false);
  EXPECT_EQ(0u, nothing.upLevelFilter);
  EXPECT_EQ(0u, nothing.downLevelFilter);
}

} // namespace
} // namespace lnx
