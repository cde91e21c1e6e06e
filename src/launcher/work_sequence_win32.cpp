#include "launcher/work_sequence.h"

#include "launcher/launcher_state.h"
#include "log/log.h"
#include "payload/own_executable.h"

namespace lnx {

int runWorkSequence(void* progressWindow) {
  logPrint(L"Starting work");
  if (!launcherState().languageRestart) verifyPayload(progressWindow);
  return 0;
}

} // namespace lnx
