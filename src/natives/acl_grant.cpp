#include "natives/acl_grant.h"

namespace lnx {

namespace {

constexpr uint8_t kWorldAuthority = 1; // SECURITY_WORLD_SID_AUTHORITY
constexpr uint8_t kNtAuthority = 5;    // SECURITY_NT_AUTHORITY
constexpr uint32_t kAuthenticatedUsersRid = 11;
constexpr uint32_t kBuiltinDomainRid = 32;
constexpr uint32_t kPowerUsersRid = 547;
constexpr int kAuthenticatedUsersType = 1;
constexpr int kPowerUsersType = 5;

} // namespace

uint32_t grantedRights(bool read, bool write, bool execute, bool all) {
  return (read ? kGenericRead : 0) | (write ? kGenericWrite : 0) | (execute ? kGenericExecute : 0) |
         (all ? kGenericAll : 0);
}

std::optional<WellKnownSid> wellKnownSid(int principalType) {
  switch (principalType) {
  case kNamedPrincipalType:
    return std::nullopt;
  case kAuthenticatedUsersType:
    return WellKnownSid{kNtAuthority, {kAuthenticatedUsersRid}};
  case kPowerUsersType:
    return WellKnownSid{kNtAuthority, {kBuiltinDomainRid, kPowerUsersRid}};
  default:
    return WellKnownSid{kWorldAuthority, {0}};
  }
}

} // namespace lnx
