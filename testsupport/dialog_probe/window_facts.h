#pragma once
// What the probe reads from a window that may belong to another process.
#include <optional>
#include <string>

#include <windows.h>

namespace probe {

std::wstring windowClassName(HWND window);
// The window's text through WM_GETTEXT, so edit controls of other processes answer too;
// nothing when the owning thread did not answer in time.
std::optional<std::wstring> windowText(HWND window);
DWORD owningProcessId(HWND window);
// Base name of the owning process's image ("setup.exe"); empty when it cannot be opened.
std::wstring owningProcessName(HWND window);
// One line per text: backslash, newline, carriage return, tab and other control
// characters become escapes (\\, \n, \r, \t, \xNN).
std::string escapedUtf8(const std::wstring& text);

} // namespace probe
