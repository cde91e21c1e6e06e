#include "natives/object_picker_rules.h"

namespace lnx {

namespace {

constexpr uint32_t kTargetComputer = 0x1;  // DSOP_SCOPE_TYPE_TARGET_COMPUTER
constexpr uint32_t kEveryScope = 0x36F;    // target computer, domains, enterprise, external, user-entered
constexpr uint32_t kDefaultFilters = 0xC0; // DSOP_SCOPE_FLAG_DEFAULT_FILTER_USERS | _GROUPS

// Up-level filters (both modes).
constexpr uint32_t kUpLevelGroups = 0x3F4; // built-in, universal, global and domain-local groups
constexpr uint32_t kUpLevelUsers = 0x2;
constexpr uint32_t kUpLevelWellKnown = 0x8;

// Down-level filters.
constexpr uint32_t kDownLevelGroups = 0x80000006; // local and global groups
constexpr uint32_t kDownLevelUsers = 0x80000001;
constexpr uint32_t kDownLevelAllWellKnown = 0x80020000;    // every well-known SID
constexpr uint32_t kDownLevelServiceAccounts = 0x800C4000; // local system, local service, network service

} // namespace

ObjectPickerScope objectPickerScope(const ObjectPickerKinds& kinds, bool localComputerOnly) {
  ObjectPickerScope scope{localComputerOnly ? kTargetComputer : kEveryScope, kDefaultFilters, 0, 0};
  if (kinds.groups) {
    scope.upLevelFilter |= kUpLevelGroups;
    scope.downLevelFilter |= kDownLevelGroups;
  }
  if (kinds.users) {
    scope.upLevelFilter |= kUpLevelUsers;
    scope.downLevelFilter |= kDownLevelUsers;
  }
  if (kinds.wellKnownPrincipals) {
    scope.upLevelFilter |= kUpLevelWellKnown;
    scope.downLevelFilter |= kinds.groups ? kDownLevelAllWellKnown : kDownLevelServiceAccounts;
  }
  return scope;
}

} // namespace lnx
