#include "lnxpack/signal_cleanup.h"

#include <csignal>
#include <cstring>
#include <iterator>
#include <limits.h>
#include <unistd.h>

#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The process-wide state of the handler: written before the handlers are installed and
// cleared after they are restored, so the handler never sees a half-written path.
char pathToRemove[PATH_MAX];
struct sigaction previousActions[std::size(kSignals)];
bool installed[std::size(kSignals)];

extern "C" void removeAndReraise(int signal) {
  ::unlink(pathToRemove);
  // SA_RESETHAND has put back the default action; the signal is blocked until we return,
  // and then ends the process with the status a shell expects.
  ::raise(signal);
}

} // namespace

RemoveOnSignal::RemoveOnSignal(const std::filesystem::path& file) {
  const std::string& path = file.native();
  if (path.size() >= sizeof pathToRemove) throw ToolError{file, "the path is too long for a temporary file"};
  std::memcpy(pathToRemove, path.c_str(), path.size() + 1);
  struct sigaction action {};
  action.sa_handler = removeAndReraise;
  action.sa_flags = SA_RESETHAND;
  sigfillset(&action.sa_mask); // no second signal runs inside the handler
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    // A signal the process was started ignoring (a background job's SIGINT, nohup's
    // SIGHUP) stays ignored.
    ::sigaction(kSignals[i], nullptr, &previousActions[i]);
    installed[i] = previousActions[i].sa_handler != SIG_IGN;
    if (installed[i]) ::sigaction(kSignals[i], &action, nullptr);
  }
}

RemoveOnSignal::~RemoveOnSignal() {
  for (size_t i = 0; i < std::size(kSignals); ++i)
    if (installed[i]) ::sigaction(kSignals[i], &previousActions[i], nullptr);
  pathToRemove[0] = '\0';
}

} // namespace lnx::pack
