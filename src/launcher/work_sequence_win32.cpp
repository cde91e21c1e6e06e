#include <windows.h>
#include <direct.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "base/progress_bar.h"
#include "base/startup_markers.h"
#include "fs/path_names.h"
#include "fs/temp_dir.h"
#include "jvm/java_vm_launcher.h"
#include "jvm/native_library_path.h"
#include "launcher/java_window_watcher.h"
#include "launcher/progress_dialog.h"
#include "launcher/work_sequence.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/extraction.h"
#include "payload/included_files.h"
#include "payload/own_executable.h"
#include "payload/tables.h"
#include "runtime/included_runtime.h"
#include "runtime/jvm_home.h"
#include "runtime/pack200.h"
#include "runtime/runtime_download.h"
#include "runtime/runtime_names.h"
#include "runtime/runtime_search.h"

namespace lnx {

namespace {

std::string currentDirectory() {
  std::vector<char> buffer(6000);
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  return length > 0 && length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

std::string fullPathOf(const char* name) {
  char buffer[2000];
  return _fullpath(buffer, name, sizeof buffer) ? std::string(buffer) : std::string(name);
}

void changeToExtractionDirectory() {
  const std::string& directory = launcherState().extractionDir;
  if (_chdir(directory.c_str()) != 0)
    logError(L"Could not change working dir to %S (%d)", directory, static_cast<int>(GetLastError()));
}

// A language restart re-uses the previous run's directory when it still holds the
// installer's files.
void adoptPreviousDirectory() {
  LauncherState& state = launcherState();
  state.extractionDir = currentDirectory();
  if (!pathExists(state.extractionDir + "\\lnxruntime.jar")) {
    logPrint(L"could not find lnxruntime.jar");
    state.restartFilesMissing = true;
  } else if (!pathExists(state.extractionDir + "\\lnxparams.conf")) {
    logPrint(L"could not find lnxparams.conf");
    state.restartFilesMissing = true;
  }
  if (state.restartFilesMissing) state.extractionDir.clear();
}

void createExtractionDirectory() {
  LauncherState& state = launcherState();
  if (!state.extractAndExit) {
    createTempDir();
    return;
  }
  state.extractionDir = moduleFileName() + ".test";
  logPrint(L"Extracted dir: %S", state.extractionDir);
  if (!CreateDirectoryA(state.extractionDir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    logPrint(L"Could not create dir %S (%d)", state.extractionDir, static_cast<int>(GetLastError()));
    failWithMessageArgument(message::internalError, L"70");
  }
}

void extractOrFail(HWND window) {
  int result = extractIncludedFiles();
  if (result == kCopied) return;
  std::wstring text = getMessage(result == kWriteFailed ? message::notEnoughDiskSpace : message::installationCorrupted);
  if (launcherState().quiet) {
    showErrorOnStandardError(text); // a quiet run that fails says why where its caller looks
  } else {
    std::wstring caption = getMessage(message::wizardCaption);
    MessageBoxW(window, text.c_str(), caption.c_str(), MB_ICONERROR);
  }
  exitLauncher(1);
}

// Whether an included runtime (the archive, or in a language restart its extracted
// directory) is there to be used.
bool detectIncludedRuntime() {
  const LauncherState& state = launcherState();
  logPrint(L"Current working dir: %S", currentDirectory());
  std::string archive = fullPathOf(kRuntimeArchiveName);
  logPrint(L"Full JRE path: %S", archive);
  bool included = pathExists(archive);
  if (state.languageRestart && !state.restartFilesMissing && !included) {
    logPrint(L"Checking restart JRE: %S", archive);
    std::string extracted = fullPathOf(kRuntimeDirectoryName);
    logPrint(L"Checking extracted JRE: %S", extracted);
    included = pathExists(extracted);
  }
  logPrint(included ? L"JRE included" : L"No JRE included");
  if (included && state.manualRuntime) {
    logPrint(L"Included JRE not used because of manual switch");
    included = false;
  }
  return included;
}

// No runtime was found: a quiet run downloads one when told to (157) or ends with exit code
// 83; with a window the user chooses, locates or downloads one.
void getRuntimeWithoutSearch(HWND window, bool perProcessMarker) {
  LauncherState& state = launcherState();
  stopIfCanceled(); // before the runtime choice dialog would come up
  if (state.quiet && getConfigInt(config::downloadWithoutAsking) != 0) {
    std::fputs("No JRE found. Trying to download.\n", stdout);
    std::fflush(stdout);
    runtimeDownloadFlow(nullptr);
  } else if (state.quiet) {
    logError(L"No JRE found");
    std::fputs("No JRE found. Aborting.\n", stdout);
    std::fflush(stdout);
    setStartupMarkers(false, perProcessMarker, true);
    removeExtractionDirectory(); // nothing will use the extracted files
    std::exit(83);               // a normal end, so that the log's exit handler runs
  } else if (window) {
    runtimeDownloadFlow(window);
  } else {
    runBehindProgressDialog(DialogWork::RuntimeDownload); // the dialog hosts only this flow
  }
}

// The Payload's own packed files, restored with the chosen runtime's unpacker.
void unpackIncludedPackFiles() {
  const std::string suffix = ".pack";
  int count = getConfigInt(config::includedFileCount);
  std::vector<std::string> names = splitIncludedNames(getConfigCopy(config::includedFileNames));
  for (int i = 0; i < count && i < static_cast<int>(names.size()); ++i) {
    const std::string& name = names[static_cast<size_t>(i)];
    if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    logPrint(L"unpacking %S", name);
    unpackPackFile(jvmHome(), launcherState().extractionDir + "\\" + name);
  }
}

[[noreturn]] void writeUnextractedPositionAndExit() {
  FILE* file = std::fopen("unextracted.txt", "w");
  if (!file) {
    logError(L"Could not write file with unextracted position");
    failWithMessageArgument(message::internalError, L"71");
  }
  std::fprintf(file, "%d", static_cast<int>(getUnextractedPosition()));
  std::fclose(file);
  ExitProcess(0);
}

} // namespace

int runWorkSequence(void* progressWindow) {
  HWND window = static_cast<HWND>(progressWindow);
  LauncherState& state = launcherState();
  logPrint(L"Starting work");
  setProgressPosition(window, 1);
  setProgressRange(window, 0, 400);

  bool reuseDirectory = false;
  if (state.languageRestart) {
    adoptPreviousDirectory();
    reuseDirectory = !state.restartFilesMissing;
  } else {
    verifyPayload(window);
  }
  stopIfCanceled();
  if (!reuseDirectory) {
    createExtractionDirectory();
    setNativeLibraryPath();
    changeToExtractionDirectory();
    extractOrFail(window);
    registerNativeLibraryDirectories(); // now that extraction has created them
  }
  stopIfCanceled();

  state.runtimeIncluded = detectIncludedRuntime();
  bool preferInstalled = getConfigInt(config::preferInstalledRuntime) != 0;
  bool perProcessMarker = window != nullptr;
  if (!state.runtimeIncluded) {
    setStartupMarkers(true, perProcessMarker, true);
    if (state.manualRuntime || !LoadDLL(false, nullptr, false)) getRuntimeWithoutSearch(window, perProcessMarker);
  } else if (preferInstalled) {
    setStartupMarkers(true, perProcessMarker, true);
    if (LoadDLL(false, nullptr, false))
      state.runtimeIncluded = false; // the installed runtime is used
    else
      setStartupMarkers(false, perProcessMarker, true);
  }
  stopIfCanceled();
  changeToExtractionDirectory();

  if (reuseDirectory) {
    if (state.runtimeIncluded) useIncludedRuntime(); // extracted by the run before the restart
  } else {
    state.progressBase = !state.runtimeIncluded ? 100 : getConfigInt(config::jrePacked) ? 300 : 200;
    if (state.runtimeIncluded) prepareIncludedRuntime(window);
  }
  stopIfCanceled();
  if (!reuseDirectory) unpackIncludedPackFiles();
  if (state.extractAndExit) writeUnextractedPositionAndExit();

  if (window) startJavaWindowWatcher(window);
  passLastCheckpoint();
  stopIfCanceled();
  setStartupMarkers(true, perProcessMarker, true);
  ArgumentList args;
  splitCommandLine(GetCommandLineW(), args);
  if (!launchJava(args, true)) {
    logError(L"Could not start JVM");
    failWithMessageArgument(message::jvmNotStarted, nullptr);
  }
  return 0;
}

} // namespace lnx
