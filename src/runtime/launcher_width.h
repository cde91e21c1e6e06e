#pragma once
// What tells the 32-bit launcher from the 64-bit one in what users read: the width named in
// the "%S-bit" and "{0}-bit" texts, and the message of each pair that names a width
// (1017/1018, 1019/1020). Decided once, by the pointer width of the build; the host tests
// ask for both widths by name.
#include <cstddef>

#include "payload/catalogue.h"

namespace lnx {

struct LauncherWidth {
  int bits;
  const char* bitsText;       // "32" or "64"
  int variableMessage;        // the variable names no working runtime of this width
  int damagedRuntimeMessage;  // the runtime found is damaged; install one of this width
};

constexpr LauncherWidth launcherWidthFor(size_t pointerBytes) {
  return pointerBytes == 8 ? LauncherWidth{64, "64", message::variableNamesNoRuntime64, message::runtimeDamaged64}
                           : LauncherWidth{32, "32", message::variableNamesNoRuntime, message::runtimeDamaged};
}

// This build's width (on the host: the host's, which only the host tests see).
constexpr LauncherWidth kLauncherWidth = launcherWidthFor(sizeof(void*));

} // namespace lnx
