#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "fs/path_rules.h"
#include "fs/temp_base.h"
#include "fs/temp_dir.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"

namespace lnx {

std::string makeTempFileName() {
  std::string base = getTempBase();
  logPrint(L"tempPath is %S", base);
  std::vector<char> name(MAX_PATH + 1);
  std::string tempFile;
  if (GetTempFileNameA(base.c_str(), "mrv", 0, name.data())) {
    tempFile = name.data();
  } else {
    logPrint(L"GetTempFileName failed (last error %d)", static_cast<int>(GetLastError()));
    int pid = static_cast<int>(GetCurrentProcessId());
    std::srand(static_cast<unsigned>(static_cast<uint32_t>(std::time(nullptr)) * static_cast<uint32_t>(pid)));
    tempFile = withTrailingSeparator(base) + "mrv" + std::to_string(std::rand());
  }
  logPrint(L"tempFile is %S", tempFile);
  return tempFile;
}

void createTempDir() {
  LauncherState& state = launcherState();
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::string nameFile = makeTempFileName();
    std::string tempDir = nameFile + "_dir" +
                          std::to_string(static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr))));
    logPrint(L"Temp dir3: %S", tempDir);
    if (CreateDirectoryA(tempDir.c_str(), nullptr)) {
      state.extractionDir = tempDir;
      return;
    }
    logPrint(L"Could not create dir (%d)", static_cast<int>(GetLastError()));
    DeleteFileA(nameFile.c_str()); // nothing refers to the unique file of a failed attempt
  }
  state.extractionDir.clear();
  failWithMessageArgument(message::internalError, L"7");
}

namespace {

// Neither the current directory (the TempDir during most of a run) nor a directory above it
// can be removed: it goes to the launcher's directory, or to the system directory when that
// cannot be entered, before anything is removed.
void leaveForOutside() {
  if (SetCurrentDirectoryA(launcherDirectory().c_str())) return;
  std::vector<char> system(MAX_PATH + 1);
  UINT length = GetSystemDirectoryA(system.data(), static_cast<UINT>(system.size()));
  if (length > 0 && length < system.size()) SetCurrentDirectoryA(system.data());
}

} // namespace

void removeExtractionDirectory() {
  const LauncherState& state = launcherState();
  // A language restart keeps the directory it re-uses, not one it had to make afresh.
  bool reused = state.languageRestart && !state.restartFilesMissing;
  if (reused || state.extractionDir.empty()) return;
  leaveForOutside();
  emptyDirectory(state.extractionDir, true);
  RemoveDirectoryA(state.extractionDir.c_str());
  std::string nameFile = tempDirNameFile(state.extractionDir);
  if (!nameFile.empty()) DeleteFileA(nameFile.c_str());
}

} // namespace lnx
