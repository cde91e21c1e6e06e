#pragma once
// Removal of the builder's temporary output when the process is interrupted.
#include <filesystem>

namespace lnx::pack {

// While an instance lives, SIGINT, SIGTERM and SIGHUP first remove the file and then end
// the process as the signal would have without a handler (signals the process ignores
// stay ignored). The handler only calls unlink
// on the path prepared here (async-signal-safe). One instance at a time: the path and the
// previous handlers are process-wide state kept in signal_cleanup.cpp. The destructor
// puts the previous handlers back. Throws ToolError naming the file when its path does
// not fit the prepared buffer.
class RemoveOnSignal {
public:
  explicit RemoveOnSignal(const std::filesystem::path& file);
  ~RemoveOnSignal();
  RemoveOnSignal(const RemoveOnSignal&) = delete;
  RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;
};

} // namespace lnx::pack
