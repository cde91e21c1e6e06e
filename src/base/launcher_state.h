#pragma once
// The process-wide flags and paths written at start-up (main thread, before any other
// thread exists) and only read afterwards.
#include <string>

namespace lnx {

struct LauncherState {
  bool quiet = false;            // no progress dialog
  bool showMessageBoxes = true;  // fatal errors as message boxes, else on standard error
  bool languageRestart = false;  // re-uses the extraction directory of a previous run
  bool restartFilesMissing = false;
  bool extractAndExit = false;
  bool verifyIntegrity = true;
  bool manualRuntime = false;
  bool createLog = false;        // keep the log and show its path
  bool noStartupDialog = false;
  char launcherFamily = 0;       // first character of configuration 2001
  std::string productName;       // "morva" for family 'e', else "lanternix"
  std::wstring productNameWide;
  void* instance = nullptr;      // the executable's module handle
  std::string extractionDir;     // the per-run directory; empty means none
  bool runtimeIncluded = false;  // an included runtime (archive or extracted directory) will be used
  int progressBase = 0;          // progress position when the Java VM is about to start
};

LauncherState& launcherState();

} // namespace lnx
