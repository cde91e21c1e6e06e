#pragma once
// Pressing a button of a dialog the way a user's click does.
#include "probe_options.h"

#include <string>

#include <windows.h>

namespace probe {

enum class PressOutcome { Closed, StillOpen, NoSuchButton, ButtonDisabled };

struct PressResult {
  PressOutcome outcome;
  std::wstring buttonText; // the chosen button's own text, when there is one
};

// Clicks the chosen visible button, then waits a few seconds for the dialog to close
// or hide.
PressResult pressButton(HWND dialog, const ButtonChoice& choice);

} // namespace probe
