#pragma once
// The probe's output: one fact per line, "name: value", values escaped to one line.
//   caption: <caption>
//   class: <window class>
//   process: <image base name>
//   pid: <Windows process id>
//   control: <class>: <text>      one per visible child control, in window order
//   rect: <left> <top> <right> <bottom>       the window's screen rectangle
//   desktop: <left> <top> <right> <bottom>    the desktop's
//   owner-class: <class>          the owner window's class, when the window has an owner
//   iconic: 0|1                   whether it is minimised
// then the item and progress lines of every child control (control_items.h).
#include <string>
#include <vector>

#include <windows.h>

namespace probe {

// Visible child controls of a window, in window order, nested ones included.
std::vector<HWND> visibleControls(HWND window);
// Prints the window as above; false when the window stopped answering half-way.
bool printWindowReport(HWND window);
// Writes "window: <process>: <class>: <caption>" for each window through writeOut.
void printWindowList(const std::vector<HWND>& windows, void (*writeOut)(const std::string&));

} // namespace probe
