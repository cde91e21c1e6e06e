#include <windows.h>

#include <cstring>

#include "lnxpack/signal_cleanup.h"
#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace {

// The process-wide state of the handler, written before it is installed and cleared after
// it is removed. Windows runs the handler on a thread of its own while the build goes on;
// the file was created sharing delete access, so it can be removed while open and is gone
// once the process has ended.
wchar_t pathToRemove[32768];

BOOL WINAPI removeOnInterrupt(DWORD) {
  DeleteFileW(pathToRemove);
  return FALSE; // the next handler, the system's, ends the process
}

} // namespace

RemoveOnSignal::RemoveOnSignal(const std::filesystem::path& file) {
  const std::wstring& path = file.native();
  if (path.size() >= std::size(pathToRemove)) throw ToolError{file, "the path is too long for a temporary file"};
  std::memcpy(pathToRemove, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  SetConsoleCtrlHandler(removeOnInterrupt, TRUE);
}

RemoveOnSignal::~RemoveOnSignal() {
  SetConsoleCtrlHandler(removeOnInterrupt, FALSE);
  pathToRemove[0] = L'\0';
}

} // namespace lnx::pack
