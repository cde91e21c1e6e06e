#include "runtime/included_runtime.h"

#include <atomic>
#include <cstdlib>

#include "base/launcher_state.h"
#include "base/progress_bar.h"
#include "fs/temp_base.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/pack200.h"
#include "runtime/runtime_archive.h"
#include "runtime/runtime_names.h"
#include "runtime/runtime_search.h"

namespace lnx {

namespace {

DWORD extractionMs = 0; // written before the progress thread starts
std::atomic<bool> unpackingDone{false};

// Moves the bar from 200 towards 300 while the packed jars are restored, at a pace set by
// how long the extraction took.
DWORD WINAPI advanceUnpackProgress(void* progressWindow) {
  int position = 200;
  while (!unpackingDone && position < 300) {
    Sleep(extractionMs / 10);
    position += 10;
    setProgressPosition(static_cast<HWND>(progressWindow), position);
  }
  return 0;
}

void startUnpackProgress(HWND progressWindow) {
  HANDLE thread = CreateThread(nullptr, 0, advanceUnpackProgress, progressWindow, 0, nullptr);
  if (!thread) return;
  SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  CloseHandle(thread);
}

} // namespace

bool prepareIncludedRuntime(HWND progressWindow) {
  DWORD started = GetTickCount();
  logPrint(L"extracting JRE");
  const std::string& tempDir = launcherState().extractionDir;
  std::string archive = tempDir + "\\" + kRuntimeArchiveName;
  std::string runtimeDirectory = tempDir + "\\" + kRuntimeDirectoryName;
  if (!CreateDirectoryA(runtimeDirectory.c_str(), nullptr)) logError(L"Could not create JRE dir");
  int64_t expectedSize = std::atoll(getConfigCopy(config::jreUncompressedSize).c_str());
  if (!untarGz(archive, runtimeDirectory, progressWindow, expectedSize)) {
    logError(L"Could not untar JRE");
    failWithText(L"The bundled JRE is corrupted. If you downloaded the setup file please download it again.");
  }
  DeleteFileA(archive.c_str());
  extractionMs = GetTickCount() - started;
  if (getConfigInt(config::jrePacked) != 0) {
    logPrint(L"JRE is packed");
    if (progressWindow) startUnpackProgress(progressWindow);
    unpackJreDirectory(kRuntimeDirectoryName);
    unpackJreDirectory(std::string(kRuntimeDirectoryName) + "\\jre");
    unpackingDone = true;
  }
  return useIncludedRuntime();
}

bool useIncludedRuntime() {
  char fullPath[6000];
  std::string directory = _fullpath(fullPath, kRuntimeDirectoryName, sizeof fullPath) ? fullPath : kRuntimeDirectoryName;
  logPrint(L"JRE dir: %S", directory);
  if (LoadDLL(false, &directory, false)) return true;
  logError(L"Could not load bundled JRE. Trying to find another JRE.");
  if (LoadDLL(false, nullptr, false)) return true;
  logError(L"Could not find another JRE.");
  if (usedFallbackTempBase()) failWithMessageArgument(message::notPowerUser, nullptr);
  failWithText(L"Could not use bundled JRE. Please send this log file to your software vendor:");
}

} // namespace lnx
