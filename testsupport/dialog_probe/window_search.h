#pragma once
// Finding the top-level window a test asked for, among all processes of the Wine session.
#include "probe_options.h"

#include <vector>

#include <windows.h>

namespace probe {

// Visible top-level windows of other processes, topmost first.
std::vector<HWND> visibleTopLevelWindows();
// The topmost window matching the options, polling until one appears; null when the
// wait time ended first.
HWND waitForMatchingWindow(const ProbeOptions& options);

} // namespace probe
