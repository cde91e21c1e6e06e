#pragma once
// What the object picker native asks the directory object picker for: one scope, and the
// filters for the kinds of objects the Java side offers.
#include <cstdint>

namespace lnx {

struct ObjectPickerKinds {
  bool groups = false;
  bool users = false;
  bool wellKnownPrincipals = false;
};

struct ObjectPickerScope {
  uint32_t type;            // DSOP_SCOPE_TYPE_* bits
  uint32_t flags;           // DSOP_SCOPE_FLAG_* bits
  uint32_t upLevelFilter;   // both modes
  uint32_t downLevelFilter; // DSOP_DOWNLEVEL_FILTER_* bits
};

// The target computer only, or every scope a domain can offer; users and groups are
// selected in the default filter either way.
ObjectPickerScope objectPickerScope(const ObjectPickerKinds& kinds, bool localComputerOnly);

} // namespace lnx
