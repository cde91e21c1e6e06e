#include "dialog_report.h"

#include "console_out.h"
#include "control_items.h"
#include "window_facts.h"

#include <optional>
#include <string>

namespace probe {
namespace {

BOOL CALLBACK collectVisibleControl(HWND control, LPARAM collected) {
  if (IsWindowVisible(control))
    reinterpret_cast<std::vector<HWND>*>(collected)->push_back(control);
  return TRUE;
}

void printFact(const std::string& name, const std::wstring& value) {
  writeLine(name + ": " + escapedUtf8(value));
}

void printRect(const std::string& name, HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  writeLine(name + ": " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
            std::to_string(rect.right) + " " + std::to_string(rect.bottom));
}

// Where the window is and what it belongs to: whether it is on the screen, minimised,
// and which window it is modal to.
void printPlacement(HWND window) {
  printRect("rect", window);
  printRect("desktop", GetDesktopWindow());
  if (HWND owner = GetWindow(window, GW_OWNER))
    printFact("owner-class", windowClassName(owner));
  writeLine(std::string("iconic: ") + (IsIconic(window) ? "1" : "0"));
}

} // namespace

std::vector<HWND> visibleControls(HWND window) {
  std::vector<HWND> controls;
  EnumChildWindows(window, collectVisibleControl, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

bool printWindowReport(HWND window) {
  std::optional<std::wstring> caption = windowText(window);
  if (!caption)
    return false;
  printFact("caption", *caption);
  printFact("class", windowClassName(window));
  printFact("process", owningProcessName(window));
  writeLine("pid: " + std::to_string(owningProcessId(window)));
  for (HWND control : visibleControls(window)) {
    std::optional<std::wstring> text = windowText(control);
    if (!text)
      return false;
    writeLine("control: " + escapedUtf8(windowClassName(control)) + ": " + escapedUtf8(*text));
  }
  printPlacement(window);
  return printControlItems(window);
}

void printWindowList(const std::vector<HWND>& windows, void (*writeOut)(const std::string&)) {
  for (HWND window : windows) {
    std::wstring caption = windowText(window).value_or(L"<no answer>");
    writeOut("window: " + escapedUtf8(owningProcessName(window)) + ": " +
             escapedUtf8(windowClassName(window)) + ": " + escapedUtf8(caption));
  }
}

} // namespace probe
