#include "instance/single_instance.h"

#include <windows.h>

#include "fs/path_names.h"
#include "instance/semaphore_name.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "win32/top_level_windows.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

const char kPidKey[] = "SOFTWARE\\qorvane-systems\\morva\\pids\\";
constexpr int kPidReadAttempts = 50;
constexpr DWORD kPidReadPauseMs = 100;

std::optional<std::string> publishedName;
// Open until the process ends: its existence is what marks this copy as running.
HANDLE instanceSemaphore = nullptr;
DWORD creationError = 0;

std::string lowerCaseModulePath() {
  std::string path = moduleFileName();
  lowerCasePath(path);
  return path;
}

// Creates the semaphore and keeps its handle as this copy's; true when it existed already.
bool createInstanceSemaphore(const std::string& name) {
  SetLastError(0);
  instanceSemaphore = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
  creationError = GetLastError();
  return creationError == ERROR_ALREADY_EXISTS;
}

void logSemaphore(const std::string& name) {
  logPrint(L"semaphore name %S, code %d, value %p", name, static_cast<int>(creationError),
           static_cast<const void*>(instanceSemaphore));
}

struct SystemSemaphores : SemaphoreCreator {
  bool createExisted(const std::string& name) override { return createInstanceSemaphore(name); }
  void closeLast() override {
    if (instanceSemaphore) CloseHandle(instanceSemaphore);
    instanceSemaphore = nullptr;
  }
};

// The newcomer of single-instance mode: the running copy may not have written its id yet.
[[noreturn]] void handOverToRunningCopy() {
  CloseHandle(instanceSemaphore);
  instanceSemaphore = nullptr;
  unsigned long otherPid = readInstancePid();
  for (int attempt = 0; otherPid == 0 && attempt < kPidReadAttempts; ++attempt) {
    Sleep(kPidReadPauseMs);
    otherPid = readInstancePid();
  }
  logPrint(L"other pid %d", otherPid);
  if (otherPid != 0 && getConfigInt(config::activateRunningInstance) != 0) activateInstanceWindows(otherPid, true);
  logPrint(L"exiting");
  exitLauncher(0);
}

} // namespace

void checkSingleInstance() {
  std::string path = lowerCaseModulePath();
  std::string prefix = semaphorePrefix(getConfigInt(config::globalSingleInstance) != 0);
  std::string key = semaphorePathKey(path);
  if (getConfigInt(config::singleInstance) == 0) {
    SystemSemaphores semaphores;
    std::string name = claimNumberedSemaphore(semaphores, prefix, key);
    logSemaphore(name);
    publishedName = name;
    return;
  }
  logPrint(L"single instance mode");
  std::string name = semaphoreName(prefix, key, -1);
  bool existed = createInstanceSemaphore(name);
  logSemaphore(name);
  if (existed) handOverToRunningCopy();
  writeInstancePid();
  publishedName = name;
}

const std::optional<std::string>& instanceSemaphoreName() { return publishedName; }

void writeInstancePid() {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kPidKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegistryKey key(opened);
  DWORD pid = GetCurrentProcessId();
  RegSetValueExA(key.get(), lowerCaseModulePath().c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid),
                 sizeof pid);
}

unsigned long readInstancePid() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPidKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return 0;
  RegistryKey key(opened);
  DWORD pid = 0, size = sizeof pid;
  if (RegQueryValueExA(key.get(), lowerCaseModulePath().c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&pid),
                       &size) != ERROR_SUCCESS ||
      size != sizeof pid)
    return 0;
  return pid;
}

void activateInstanceWindows(unsigned long processId, bool restore) {
  for (HWND window : topLevelWindows()) {
    if (!IsWindowVisible(window) || windowProcessId(window) != processId) continue;
    logPrint(L"found window %p", static_cast<const void*>(window));
    if (restore && IsIconic(window)) {
      logPrint(L"restore");
      ShowWindow(window, SW_RESTORE);
    }
    logPrint(L"foreground");
    SetForegroundWindow(window);
    logPrint(L"popup");
    SetForegroundWindow(GetLastActivePopup(window));
    logPrint(L"done");
  }
}

} // namespace lnx
