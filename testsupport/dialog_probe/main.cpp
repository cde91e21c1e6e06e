// dialogprobe: reads a dialog of another process in the same Wine session as text and
// presses one of its buttons, so end-to-end tests assert exact captions and messages; it
// can also minimise the window and watch whether it keeps answering.
#include "button_press.h"
#include "console_out.h"
#include "dialog_report.h"
#include "probe_options.h"
#include "window_facts.h"
#include "control_text.h"
#include "window_minimize.h"
#include "window_search.h"
#include "window_watch.h"

#include <string>

namespace {

// Exit codes, distinct per outcome so that a test can tell what went wrong.
enum ProbeExit : int {
  probeDone = 0,
  probeUsage = 2,
  probeNoWindow = 3,
  probeNoSuchButton = 4,
  probeButtonDisabled = 5,
  probeStillOpen = 6,
  probeNoAnswer = 7,
};

std::string describe(const probe::ButtonChoice& choice) {
  return choice.controlId ? "with id " + std::to_string(*choice.controlId)
                          : "labelled " + probe::escapedUtf8(choice.label);
}

int pressAndReport(HWND dialog, const probe::ButtonChoice& choice) {
  probe::PressResult pressed = probe::pressButton(dialog, choice);
  switch (pressed.outcome) {
  case probe::PressOutcome::Closed:
    probe::writeLine("pressed: " + probe::escapedUtf8(pressed.buttonText));
    return probeDone;
  case probe::PressOutcome::StillOpen:
    probe::writeLine("pressed: " + probe::escapedUtf8(pressed.buttonText));
    probe::writeErrorLine("dialogprobe: the window is still open after the press");
    return probeStillOpen;
  case probe::PressOutcome::ButtonDisabled:
    probe::writeErrorLine("dialogprobe: the button " + describe(choice) + " is disabled");
    return probeButtonDisabled;
  case probe::PressOutcome::NoSuchButton:
    break;
  }
  probe::writeErrorLine("dialogprobe: no visible button " + describe(choice));
  return probeNoSuchButton;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  std::optional<probe::ProbeOptions> options = probe::parseProbeOptions(argc, argv);
  if (!options)
    return probeUsage;
  if (options->listOnly) {
    probe::printWindowList(probe::visibleTopLevelWindows(), probe::writeLine);
    return probeDone;
  }
  HWND dialog = probe::waitForMatchingWindow(*options);
  if (!dialog) {
    probe::writeErrorLine("dialogprobe: no matching window appeared; visible windows:");
    probe::printWindowList(probe::visibleTopLevelWindows(), probe::writeErrorLine);
    return probeNoWindow;
  }
  if (!probe::printWindowReport(dialog)) {
    probe::writeErrorLine("dialogprobe: the window stopped answering");
    return probeNoAnswer;
  }
  if (options->minimize)
    probe::writeLine(std::string("minimized: ") + (probe::minimizeWindow(dialog) ? "1" : "0"));
  if (options->watchMs)
    probe::printWatchResult(probe::watchWindow(dialog, *options->watchMs));
  if (options->setText && !probe::setControlText(dialog, options->setText->first, options->setText->second)) {
    probe::writeErrorLine("dialogprobe: no control with id " + std::to_string(options->setText->first));
    return probeNoSuchButton;
  }
  return options->buttonToPress ? pressAndReport(dialog, *options->buttonToPress) : probeDone;
}
