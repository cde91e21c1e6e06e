#include "button_press.h"

#include "dialog_report.h"
#include "window_facts.h"

#include <optional>

namespace probe {
namespace {

const DWORD closeWaitMs = 5000;
const DWORD pollIntervalMs = 20;

// "&Yes" and "Yes" name the same button; "&&" is a literal ampersand.
std::wstring withoutMnemonics(const std::wstring& label) {
  std::wstring plain;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == L'&' && i + 1 < label.size())
      ++i;
    plain += label[i];
  }
  return plain;
}

bool isButton(HWND control) {
  return CompareStringOrdinal(windowClassName(control).c_str(), -1, L"Button", -1, TRUE) ==
         CSTR_EQUAL;
}

bool isChosen(HWND button, const std::wstring& text, const ButtonChoice& choice) {
  if (choice.controlId)
    return static_cast<unsigned long>(GetDlgCtrlID(button)) == *choice.controlId;
  return withoutMnemonics(text) == withoutMnemonics(choice.label);
}

bool waitUntilClosed(HWND dialog) {
  const ULONGLONG deadline = GetTickCount64() + closeWaitMs;
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (GetTickCount64() >= deadline)
      return false;
    Sleep(pollIntervalMs);
  }
  return true;
}

} // namespace

PressResult pressButton(HWND dialog, const ButtonChoice& choice) {
  for (HWND control : visibleControls(dialog)) {
    if (!isButton(control))
      continue;
    std::wstring text = windowText(control).value_or(L"");
    if (!isChosen(control, text, choice))
      continue;
    if (!IsWindowEnabled(control))
      return {PressOutcome::ButtonDisabled, text};
    // Posted, not sent: a button that opens another modal dialog must not block the probe.
    PostMessageW(control, BM_CLICK, 0, 0);
    return {waitUntilClosed(dialog) ? PressOutcome::Closed : PressOutcome::StillOpen, text};
  }
  return {PressOutcome::NoSuchButton, L""};
}

} // namespace probe
