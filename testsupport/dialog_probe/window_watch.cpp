#include "window_watch.h"

#include "console_out.h"

#include <optional>
#include <string>

namespace probe {
namespace {

const DWORD pingIntervalMs = 50;
// A window that takes longer than this is one a user would see as frozen.
const UINT pingTimeoutMs = 200;

std::optional<WatchEnd> windowGone(HWND window) {
  if (!IsWindow(window))
    return WatchEnd::Destroyed;
  if (!IsWindowVisible(window))
    return WatchEnd::Hidden;
  return std::nullopt;
}

const char* endName(WatchEnd end) {
  switch (end) {
  case WatchEnd::Hidden:
    return "hidden";
  case WatchEnd::Destroyed:
    return "destroyed";
  case WatchEnd::Timeout:
    break;
  }
  return "timeout";
}

} // namespace

WatchResult watchWindow(HWND window, unsigned long limitMs) {
  WatchResult result;
  const ULONGLONG started = GetTickCount64();
  for (;;) {
    result.elapsedMs = GetTickCount64() - started;
    if (std::optional<WatchEnd> gone = windowGone(window)) {
      result.end = *gone;
      return result;
    }
    if (result.elapsedMs >= limitMs)
      return result;
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, pingTimeoutMs, &ignored))
      ++result.answered;
    else if (!windowGone(window)) // a ping lost to the window's end is no miss
      ++result.missed;
    Sleep(pingIntervalMs);
  }
}

void printWatchResult(const WatchResult& result) {
  writeLine("pings: " + std::to_string(result.answered) + " " + std::to_string(result.missed));
  writeLine(std::string("ended: ") + endName(result.end));
  writeLine("ended-after-ms: " + std::to_string(result.elapsedMs));
}

} // namespace probe
