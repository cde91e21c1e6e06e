#include "base/launcher_state.h"

namespace lnx {

LauncherState& launcherState() {
  static LauncherState state;
  return state;
}

} // namespace lnx
