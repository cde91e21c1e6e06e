#include "natives/acl_grant.h"

#include <gtest/gtest.h>

#include <string>

namespace lnx {
namespace {

// The SID in its text form, "S-1-<authority>-<sub-authority>...".
std::string sidText(const WellKnownSid& sid) {
  std::string text = "S-1-" + std::to_string(sid.authority);
  for (uint32_t subAuthority : sid.subAuthorities)
    text += "-" + std::to_string(subAuthority);
  return text;
}

TEST(AclGrant, EachFlagAddsItsOwnGenericRight) {
  EXPECT_EQ(0u, grantedRights(false, false, false, false));
  EXPECT_EQ(0x80000000u, grantedRights(true, false, false, false));
  EXPECT_EQ(0x40000000u, grantedRights(false, true, false, false));
  EXPECT_EQ(0x20000000u, grantedRights(false, false, true, false));
  EXPECT_EQ(0x10000000u, grantedRights(false, false, false, true));
  EXPECT_EQ(0xA0000000u, grantedRights(true, false, true, false));
  EXPECT_EQ(0xF0000000u, grantedRights(true, true, true, true));
}

TEST(AclGrant, PrincipalTypesNameTheirGroupsAndEveryoneIsTheFallback) {
  EXPECT_FALSE(wellKnownSid(3)) << "type 3 names its principal itself";
  EXPECT_EQ("S-1-5-11", sidText(*wellKnownSid(1)));
  EXPECT_EQ("S-1-5-32-547", sidText(*wellKnownSid(5)));
  for (int otherType : {0, 2, 4, 6, -1})
    EXPECT_EQ("S-1-1-0", sidText(*wellKnownSid(otherType))) << otherType;
}

} // namespace
} // namespace lnx
