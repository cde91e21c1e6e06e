#pragma once
// Every child control of a window, hidden ones included, with the facts a test checks
// beyond the visible texts: control ids, visibility and progress bar states.
//   item: <control id> <visible 0|1> <class>: <text>    one per child, in window order
//   progress: <control id> <low> <high> <position>     one per progress bar
#include <windows.h>

namespace probe {

// Prints the lines above; false when a control stopped answering half-way.
bool printControlItems(HWND window);

} // namespace probe
