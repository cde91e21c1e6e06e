#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "fs/temp_base.h"
#include "jvm/variables.h"
#include "launcher/command_line.h"
#include "launcher/start_options.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/own_executable.h"
#include "payload/tables.h"
#include "win32/procedure.h"

namespace lnx {

namespace {

void applyTempOption(ArgumentList& args) {
  size_t at = findTempOption(args);
  if (at == args.size()) return;
  if (at + 1 == args.size() || args[at + 1].empty()) {
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(at));
    return;
  }
  if (!setManualTempDir(args[at + 1])) args.erase(args.begin() + static_cast<std::ptrdiff_t>(at), args.begin() + static_cast<std::ptrdiff_t>(at) + 2);
}

void changeWorkingDirectory() {
  std::wstring configured = getConfigWString(config::workingDirectory);
  if (configured.empty()) {
    logPrint(L"working directory unchanged");
    return;
  }
  expandVariablesW(configured, true);
  std::wstring directory = makeFullPath(configured, true, false);
  SetCurrentDirectoryW(directory.c_str());
  logPrint(L"change working directory to %s", directory);
}

void offerLogFileNotice() {
  std::wstring logPath = getLogPath();
  std::wstring question = formatText(
      L"The following log file will be created:\n\n%s\n\nDo you want to open an Explorer window?", {logPath});
  const LauncherState& state = launcherState();
  if (MessageBoxW(nullptr, question.c_str(), state.productNameWide.c_str(), MB_YESNO) != IDYES) return;
  wchar_t shortPath[MAX_PATH] = L"";
  wchar_t windowsDirectory[MAX_PATH] = L"";
  GetShortPathNameW(logPath.c_str(), shortPath, MAX_PATH);
  GetWindowsDirectoryW(windowsDirectory, MAX_PATH);
  std::wstring command = formatText(L"%s\\explorer.exe /select,%s", {windowsDirectory, shortPath});
  logPrint(L"calling %s", command);
  std::vector<wchar_t> commandLine(command.begin(), command.end());
  commandLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &process)) {
    logPrint(L"could not open explorer window %d", static_cast<int>(GetLastError()));
    return;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void reopenOnConsole() {
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

} // namespace

void processStartOptions(void* instance, ArgumentList& args) {
  LauncherState& state = launcherState();
  state.extractionDir.clear();
  if (takeCreateLogOption(args)) state.createLog = true;
  applyTempOption(args);
  readPayloadTables(args);

  state.instance = instance;
  state.launcherFamily = getConfigString(config::launcherFamily, 2)[0];
  state.productName = state.launcherFamily == 'e' ? "morva" : "lanternix";
  state.productNameWide = state.launcherFamily == 'e' ? L"morva" : L"lanternix";

  if (!state.languageRestart) changeWorkingDirectory();
  if (state.createLog) offerLogFileNotice();
}

bool attachConsole() {
  using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
  auto attach = systemFunction<AttachConsoleFn>(L"kernel32.dll", "AttachConsole");
  if (attach) {
    if (attach(ATTACH_PARENT_PROCESS)) {
      reopenOnConsole();
      return true;
    }
    if (GetLastError() == ERROR_ACCESS_DENIED) return true; // already attached
  }
  if (!AllocConsole()) return false;
  reopenOnConsole();
  return true;
}

} // namespace lnx
