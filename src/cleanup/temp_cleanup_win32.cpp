#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "cleanup/guarded_removal.h"
#include "cleanup/reboot.h"
#include "cleanup/temp_cleanup.h"
#include "cleanup/windel_list.h"
#include "cleanup/windel_passes.h"
#include "fs/path_names.h"
#include "fs/path_rules.h"
#include "win32/environment.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

const wchar_t kCaption[] = L"lanternix";
const wchar_t kProductKey[] = L"SOFTWARE\\qorvane-systems\\lanternix\\";
const wchar_t kRebootCheckValue[] = L"RebootCheckFile";
constexpr DWORD kSemaphorePollMs = 200;
constexpr DWORD kTempPathCapacity = 8192;
constexpr DWORD kListReadChunk = 64 * 1024;

bool namesNothing(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

struct SystemFiles : WindelFileSystem {
  void waitForSemaphoreRelease(const std::wstring& name) override { lnx::waitForSemaphoreRelease(name); }
  Removal deleteFile(const std::wstring& path) override { return removeListedPath(path, false); }
  Removal removeDirectory(const std::wstring& path) override { return removeListedPath(path, true); }
  bool exists(const std::wstring& path) override { return !namesNothing(path); }
  bool deleteAtRestart(const std::wstring& path) override { return scheduleListedPathAtRestart(path); }
  void pause(unsigned milliseconds) override { Sleep(milliseconds); }
};

struct SystemRestart : RestartActions {
  bool restartNow() override { return rebootNow(); }
  bool askToRestart(const std::wstring& question) override {
    return MessageBoxW(nullptr, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
  }
  void warn(const std::wstring& text) override {
    MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  }
  void markRestartPending() override {
    std::wstring checkFile = newRebootCheckFileName();
    if (MoveFileExW(checkFile.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) storeRebootCheckFile(checkFile);
  }
};

void setRebootCheckValue(HKEY root, const std::wstring& path) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(root, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    return;
  RegistryKey key(opened);
  RegSetValueExW(key.get(), kRebootCheckValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

} // namespace

std::vector<std::wstring> readWindelList(const std::wstring& listPath) {
  WindelLineReader reader;
  FileHandle file(CreateFileW(listPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return reader.finish();
  std::vector<unsigned char> chunk(kListReadChunk);
  DWORD read = 0;
  while (ReadFile(file.get(), chunk.data(), kListReadChunk, &read, nullptr) && read > 0) reader.add(chunk.data(), read);
  return reader.finish();
}

void waitForSemaphoreRelease(const std::wstring& name) {
  for (;;) {
    SetLastError(0);
    KernelHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, name.c_str()));
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    semaphore.reset(); // the name must not stay taken by this copy
    if (!existed) return;
    Sleep(kSemaphorePollMs);
  }
}

void enterLauncherDirectory() {
  std::wstring directory = launcherDirectoryLong();
  if (directory.size() > 3 && directory.back() == L'\\') directory.pop_back();
  SetCurrentDirectoryW(directory.c_str());
}

std::wstring newRebootCheckFileName() {
  std::vector<wchar_t> buffer(kTempPathCapacity);
  DWORD length = GetTempPathW(kTempPathCapacity, buffer.data());
  std::wstring directory;
  if (length > 0 && length < kTempPathCapacity) {
    directory.assign(buffer.data(), length);
    CreateDirectoryW(directory.c_str(), nullptr); // an existing one is fine
  } else {
    directory = environmentVariable(L"HOMEDRIVE").value_or(L"") +
                environmentVariable(L"HOMEPATH").value_or(L"");
  }
  wchar_t unique[MAX_PATH] = {};
  if (GetTempFileNameW(directory.c_str(), L"ide", 0, unique)) return unique;
  // The marker only works while its file exists, so the fall-back name is created too.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::wstring name = withTrailingSeparator(directory) + L"mrv" + std::to_wstring(std::rand());
  FileHandle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  return name;
}

void storeRebootCheckFile(const std::wstring& path) {
  setRebootCheckValue(HKEY_LOCAL_MACHINE, path);
  setRebootCheckValue(HKEY_CURRENT_USER, path);
}

int runWindel(const std::wstring& listPath) {
  enterLauncherDirectory();
  std::vector<std::wstring> lines = readWindelList(listPath);
  SystemFiles files;
  WindelOutcome outcome = runDeletionPasses(lines, files);
  DeleteFileW(listPath.c_str());
  SystemRestart restart;
  handleRestart(outcome, restart);
  return 0;
}

} // namespace lnx
