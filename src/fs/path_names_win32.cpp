#include <windows.h>

#include <vector>

#include "fs/path_names.h"
#include "fs/path_rules.h"
#include "log/log.h"
#include "text/codepage.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr DWORD kPathChars = 6000;

struct ModuleNames {
  std::wstring longName;
  std::string moduleName;
  std::string directory;
  std::wstring directoryShort;
  std::wstring directoryLong;
};

std::wstring shortPathOf(const std::wstring& path) {
  std::vector<wchar_t> buffer(kPathChars);
  DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), kPathChars);
  return length > 0 && length < kPathChars ? std::wstring(buffer.data(), length) : std::wstring();
}

std::wstring fullPathOf(const std::wstring& path) {
  std::vector<wchar_t> buffer(kPathChars);
  DWORD length = GetFullPathNameW(path.c_str(), kPathChars, buffer.data(), nullptr);
  return length > 0 && length < kPathChars ? std::wstring(buffer.data(), length) : path;
}

std::string fullPathOf(const std::string& path) {
  std::vector<char> buffer(kPathChars);
  DWORD length = GetFullPathNameA(path.c_str(), kPathChars, buffer.data(), nullptr);
  return length > 0 && length < kPathChars ? std::string(buffer.data(), length) : path;
}

std::string narrowModuleName(const std::wstring& longName) {
  std::string narrow;
  if (wideToNarrow(longName, narrow) && hasExeSuffix(narrow)) return narrow;
  std::wstring shortName = shortPathOf(longName);
  if (!shortName.empty() && wideToNarrow(shortName, narrow) && hasExeSuffix(narrow)) return narrow;
  if (shortNameViaShell(longName, narrow) && hasExeSuffix(narrow)) return narrow;
  std::vector<char> ansiName(kPathChars);
  DWORD length = GetModuleFileNameA(nullptr, ansiName.data(), kPathChars);
  std::string ansi(ansiName.data(), length < kPathChars ? length : 0);
  std::vector<char> ansiShort(kPathChars);
  DWORD shortLength = GetShortPathNameA(ansi.c_str(), ansiShort.data(), kPathChars);
  return shortLength > 0 && shortLength < kPathChars ? std::string(ansiShort.data(), shortLength) : ansi;
}

const ModuleNames& moduleNames() {
  static const ModuleNames names = [] {
    ModuleNames n;
    std::vector<wchar_t> raw(kPathChars);
    DWORD rawLength = GetModuleFileNameW(nullptr, raw.data(), kPathChars);
    std::wstring rawName(raw.data(), rawLength < kPathChars ? rawLength : 0);
    std::vector<wchar_t> longBuffer(kPathChars);
    DWORD longLength = GetLongPathNameW(rawName.c_str(), longBuffer.data(), kPathChars);
    DWORD error = GetLastError();
    std::wstring longName = longLength > 0 && longLength < kPathChars ? longBuffer.data() : L"";
    logPrint(L"init file name %s %s %d %d", rawName, longName, static_cast<int>(longLength),
             static_cast<int>(error));
    n.longName = longName.empty() ? rawName : longName;
    n.moduleName = narrowModuleName(n.longName);
    collapseSeparators(n.longName);
    collapseSeparators(n.moduleName);
    n.directory = directoryOf(fullPathOf(n.moduleName));
    n.directoryShort = narrowToWide(n.directory);
    n.directoryLong = directoryOf(fullPathOf(n.longName));
    return n;
  }();
  return names;
}

} // namespace

const std::string& moduleFileName() { return moduleNames().moduleName; }
const std::wstring& longModuleFileName() { return moduleNames().longName; }
const std::string& launcherDirectory() { return moduleNames().directory; }
const std::wstring& launcherDirectoryShort() { return moduleNames().directoryShort; }
const std::wstring& launcherDirectoryLong() { return moduleNames().directoryLong; }

bool shortNameViaShell(const std::wstring& longPath, std::string& shortName) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readRaw = nullptr, writeRaw = nullptr;
  if (!CreatePipe(&readRaw, &writeRaw, &inheritable, 0)) {
    logPrint(L"CreatePipe error (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  KernelHandle readEnd(readRaw), writeEnd(writeRaw);
  if (!SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
    logPrint(L"SetHandleInformation error (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  std::vector<wchar_t> windowsDir(MAX_PATH);
  GetWindowsDirectoryW(windowsDir.data(), MAX_PATH);
  std::wstring command = std::wstring(windowsDir.data()) +
                         formatText(L"\\system32\\cmd.exe /C for %%I in (\"%s\") do @echo %%~sI", {longPath});
  logPrint(L"executing %s", command);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> commandLine(command.begin(), command.end());
  commandLine.push_back(L'\0');
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    logPrint(L"could not execute cmd.exe");
    return false;
  }
  KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.reset();

  std::string output;
  char chunk[512];
  DWORD got = 0;
  while (output.size() < kPathChars &&
         ReadFile(readEnd.get(), chunk, static_cast<DWORD>(std::min<size_t>(sizeof chunk, kPathChars - output.size())),
                  &got, nullptr) &&
         got > 0)
    output.append(chunk, got);
  logPrint(L"finished reading from cmd.exe %d \"%S\"", static_cast<int>(output.size()), output);

  WaitForSingleObject(processHandle.get(), 5000);
  DWORD exitCode = 0;
  GetExitCodeProcess(processHandle.get(), &exitCode);
  logPrint(L"Exit Code %d", static_cast<int>(exitCode));
  if (exitCode == STILL_ACTIVE) {
    logPrint(L"Terminating process");
    TerminateProcess(processHandle.get(), 1);
    return false;
  }
  if (exitCode != 0 || output.size() <= 5) return false;
  size_t lineEnd = output.find_first_of("\r\n");
  if (lineEnd == std::string::npos) return false;
  shortName = output.substr(0, lineEnd);
  logPrint(L"Using %S", shortName);
  return true;
}

std::wstring resolveLauncherPath(const std::wstring& path, bool shortForms, const std::wstring* baseFile) {
  std::wstring base = baseFile ? directoryOf(fullPathOf(*baseFile))
                               : (shortForms ? launcherDirectoryShort() : launcherDirectoryLong());
  return resolvePath(path, base);
}

std::string resolveLauncherPath(const std::string& path, const std::string* baseFile) {
  return resolvePath(path, baseFile ? directoryOf(fullPathOf(*baseFile)) : launcherDirectory());
}

std::wstring makeFullPath(const std::wstring& path, bool keepCase, bool shortForms) {
  std::wstring full = fullPathOf(resolveLauncherPath(path, shortForms));
  if (!keepCase && !full.empty()) CharLowerBuffW(&full[0], static_cast<DWORD>(full.size()));
  collapseSeparators(full);
  return full;
}

std::string makeFullPath(const std::string& path, bool keepCase) {
  std::string full = fullPathOf(resolveLauncherPath(path));
  if (!keepCase) lowerCasePath(full);
  collapseSeparators(full);
  return full;
}

void lowerCasePath(std::string& path) {
  std::wstring wide = narrowToWide(path);
  if (!wide.empty()) CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  std::string back;
  if (wideToNarrow(wide, back)) path = back;
}

bool pathExists(const std::wstring& path) {
  if (isDriveRoot(path)) return true;
  WIN32_FIND_DATAW found;
  return FindHandle(FindFirstFileW(path.c_str(), &found)).valid();
}

bool pathExists(const std::string& path, unsigned long long* lastWriteTime) {
  if (isDriveRoot(path)) return true;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(path.c_str(), &found));
  if (!search.valid()) return false;
  if (lastWriteTime)
    *lastWriteTime = (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                     found.ftLastWriteTime.dwLowDateTime;
  return true;
}

void emptyDirectory(const std::string& directory, bool recurse) {
  if (directory.empty() || directory[0] == '.') return;
  logPrint(L"emptying %S", directory);
  std::string prefix = directory.back() == '\\' ? directory : directory + "\\";
  WIN32_FIND_DATAA entry;
  FindHandle search(FindFirstFileA((prefix + "*.*").c_str(), &entry));
  if (!search.valid()) return;
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = prefix + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      logPrint(L"attempting to remove %S (%d)", path, recurse ? 1 : 0);
      // A junction or link is removed itself; what it points to is not ours to empty.
      if (recurse && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) emptyDirectory(path, true);
      RemoveDirectoryA(path.c_str());
    } else {
      logPrint(L"attempting to delete %S", path);
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(search.get(), &entry));
}

} // namespace lnx
