#include "window_facts.h"

#include "console_out.h"

#include <cstdio>
#include <iterator>
#include <memory>
#include <type_traits>

namespace probe {
namespace {

// Long enough for a busy installer thread, short enough that a hung one shows up.
const UINT messageTimeoutMs = 3000;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ProcessHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

} // namespace

std::wstring windowClassName(HWND window) {
  wchar_t name[256] = {};
  int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::optional<std::wstring> windowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, messageTimeoutMs,
                           &length))
    return std::nullopt;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, messageTimeoutMs, &copied))
    return std::nullopt;
  text.resize(copied < length ? copied : length);
  return text;
}

DWORD owningProcessId(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

std::wstring owningProcessName(HWND window) {
  ProcessHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owningProcessId(window)));
  if (!process)
    return {};
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = static_cast<DWORD>(std::size(path));
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &length))
    return {};
  std::wstring fullPath(path, length);
  size_t lastSeparator = fullPath.find_last_of(L"\\/");
  return lastSeparator == std::wstring::npos ? fullPath : fullPath.substr(lastSeparator + 1);
}

std::string escapedUtf8(const std::wstring& text) {
  std::string escaped;
  for (char byte : toUtf8(text)) {
    switch (byte) {
    case '\\':
      escaped += "\\\\";
      break;
    case '\n':
      escaped += "\\n";
      break;
    case '\r':
      escaped += "\\r";
      break;
    case '\t':
      escaped += "\\t";
      break;
    default:
      if (static_cast<unsigned char>(byte) < 0x20) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(byte));
        escaped += hex;
      } else {
        escaped += byte;
      }
    }
  }
  return escaped;
}

} // namespace probe
