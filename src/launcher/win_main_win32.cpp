// The launcher's entry: hardening, the special modes of the command tail, the options,
// the Payload tables, then the work sequence.
#include <windows.h>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "launcher/process_setup.h"
#include "cleanup/reboot.h"
#include "cleanup/temp_cleanup.h"
#include "instance/single_instance.h"
#include "launcher/command_line.h"
#include "launcher/progress_dialog.h"
#include "launcher/start_options.h"
#include "launcher/work_sequence.h"
#include "log/error_report.h"
#include "log/log.h"
#include "log/native_log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"

namespace lnx {
namespace {

struct LauncherOptions {
  bool splash = false;
};

// The options that only set flags; the argument list itself goes to the Java side later.
LauncherOptions applyLauncherOptions(const ArgumentList& args) {
  LauncherState& state = launcherState();
  LauncherOptions options;
  bool consoleAttached = false;
  state.verifyIntegrity = true;
  for (const std::wstring& arg : args) {
    if (arg == L"-q") {
      state.quiet = true;
      state.showMessageBoxes = false;
    } else if (arg == L"-console") {
      consoleAttached = attachConsole();
    } else if (arg == L"-splash") {
      options.splash = true;
    } else if (arg == L"-nocheck") {
      state.verifyIntegrity = false;
    } else if (arg == L"-c") {
      state.quiet = true;
      state.showMessageBoxes = false;
      if (!consoleAttached && !attachConsole()) {
        MessageBoxA(nullptr, "Error: Could not allocate console.", "lanternix", MB_OK);
        exitLauncher(1);
      }
      consoleAttached = true;
    } else if (arg == L"-manual" || arg == L"/manual") {
      state.manualRuntime = true;
    }
  }
  return options;
}

int launcherMain(HINSTANCE instance, const char* commandTail) {
  installNativeLog();
  restrictDllSearch();
  preloadSystemDlls();

  StartModes modes = detectStartModes(commandTail);
  if (modes.reboot) {
    rebootAfterDelay();
    return 0;
  }

  LauncherState& state = launcherState();
  state.quiet = false;
  if (modes.languageRestart) {
    logPrint(L"language restart");
    state.languageRestart = true;
    state.quiet = true;
  }
  if (modes.extractAndExit) {
    logPrint(L"extract and exit mode");
    state.extractAndExit = true;
  }
  loadCommonControls();

  ArgumentList args;
  splitCommandLine(GetCommandLineW(), args);
  if (modes.tempCleanup && args.size() >= 3) return runWindel(args[2]);

  processStartOptions(instance, args);
  LauncherOptions options = applyLauncherOptions(args);
  if (!state.languageRestart) checkSingleInstance();

  state.instance = instance;
  state.noStartupDialog = getConfigInt(config::noStartupDialog) != 0;
  logPrint(L"Init done");

  try {
    if (state.quiet && !options.splash) {
      logPrint(L"Quiet installer.");
      runWorkSequence(nullptr);
    } else if (state.noStartupDialog) {
      registerDialogClass();
      runWorkSequence(nullptr);
    } else {
      registerDialogClass();
      runBehindProgressDialog(DialogWork::WorkSequence);
    }
  } catch (const RunCanceled&) {
    endCanceledRun(); // a checkpoint of work that ran on this thread
  }
  return 0;
}

} // namespace
} // namespace lnx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
  return lnx::launcherMain(instance, commandTail);
}
