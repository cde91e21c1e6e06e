#pragma once
// Removal of the builder's temporary output when the process is interrupted.
#include <filesystem>

namespace lnx::pack {

// While an instance lives, SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C, Ctrl+Break and
// closing the console) first remove the file and then end the process as they would have
// without a handler (signals the process ignores stay ignored). The handler only removes
// the path prepared here (unlink, async-signal-safe; DeleteFileW on Windows). One instance
// at a time: the path and the previous handlers are process-wide state kept in
// signal_cleanup_host.cpp (signal_cleanup_win32.cpp). The destructor puts the previous
// handlers back. Throws ToolError naming the file when its path does not fit the prepared
// buffer.
class RemoveOnSignal {
public:
  explicit RemoveOnSignal(const std::filesystem::path& file);
  ~RemoveOnSignal();
  RemoveOnSignal(const RemoveOnSignal&) = delete;
  RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;
};

} // namespace lnx::pack
