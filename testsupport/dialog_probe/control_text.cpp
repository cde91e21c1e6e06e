#include "control_text.h"

namespace probe {
namespace {

struct Search {
  long controlId;
  HWND found;
};

BOOL CALLBACK findControl(HWND control, LPARAM search) {
  Search& wanted = *reinterpret_cast<Search*>(search);
  if (GetDlgCtrlID(control) != wanted.controlId) return TRUE;
  wanted.found = control;
  return FALSE;
}

} // namespace

bool setControlText(HWND window, long controlId, const std::wstring& text) {
  Search search{controlId, nullptr};
  EnumChildWindows(window, findControl, reinterpret_cast<LPARAM>(&search));
  DWORD_PTR result = 0;
  return search.found && SendMessageTimeoutW(search.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                             SMTO_ABORTIFHUNG, 3000, &result);
}

} // namespace probe
