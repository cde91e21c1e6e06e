#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/launcher_state.h"
#include "fs/path_rules.h"
#include "fs/temp_base.h"
#include "log/error_report.h"
#include "log/log.h"
#include "log/log_text.h"
#include "log/native_log.h"
#include "text/codepage.h"
#include "text/utf16.h"

namespace lnx {

namespace {

const wchar_t kFallbackPath[] = L"c:\\lnx_nlog";

struct NativeLog {
  CRITICAL_SECTION lock;
  bool lockCreated = false;
  bool initialised = false;
  std::wstring path; // empty until initialisation
  HANDLE file = INVALID_HANDLE_VALUE; // open for appending from the first line that could open it
  uint64_t startMillis = 0;
  bool pathHandedOut = false;
};

NativeLog& nativeLog() {
  static NativeLog log;
  return log;
}

uint64_t nowMillis() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

// The file is UTF-8 with one byte-order mark at its start; lines end the way a Windows
// text-mode stream ends them. One unbuffered write per text, so a line is in the file
// (for any reader) when the call returns.
void writeText(HANDLE file, const std::wstring& text) {
  std::string utf8;
  for (char c : wideToUtf8(text)) {
    if (c == '\n') utf8.push_back('\r');
    utf8.push_back(c);
  }
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// Appending only, so that lines of another writer of the same file are never overwritten;
// shared for deleting too, so that the file can go while it is open.
HANDLE openForAppending(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Creates the file with its byte-order mark; with overwrite clear, an existing file is
// left alone and reported.
CreateResult createLogFile(const std::wstring& path, bool overwrite) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_EXISTS ? CreateResult::Exists : CreateResult::Failed;
  DWORD written = 0;
  WriteFile(file, "\xEF\xBB\xBF", 3, &written, nullptr);
  CloseHandle(file);
  return CreateResult::Created;
}

bool environmentSaysKeep(const char* name) {
  std::vector<char> value(6000);
  DWORD length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
  return length > 0 && length < value.size() && std::string(value.data(), length) == "yes";
}

void deleteLogUnlessKept() {
  NativeLog& log = nativeLog();
  if (log.pathHandedOut || log.path.empty()) return;
  if (log.file != INVALID_HANDLE_VALUE) CloseHandle(log.file);
  log.file = INVALID_HANDLE_VALUE;
  DeleteFileW(log.path.c_str());
}

// Chooses the file, creates it, opens it and writes the first line.
void initialise(NativeLog& log) {
  log.initialised = true;
  bool keep = launcherState().createLog || environmentSaysKeep("MORVA_LOG") || environmentSaysKeep("LANTERNIX_LOG");
  if (!keep) std::atexit(deleteLogUnlessKept);

  std::wstring directory = getTempBaseW(false);
  directory = directory.empty() ? L"c:\\" : withTrailingSeparator(directory);
  log.path = createNumberedLogFile(directory, createLogFile);
  if (log.path.empty()) {
    log.path = kFallbackPath;
    if (createLogFile(log.path, true) != CreateResult::Created) return;
  }
  log.file = openForAppending(log.path);
  if (log.file == INVALID_HANDLE_VALUE) return;
  std::vector<wchar_t> executable(6000);
  DWORD length = GetModuleFileNameW(nullptr, executable.data(), static_cast<DWORD>(executable.size()));
  std::time_t now = std::time(nullptr);
  const char* localTime = std::ctime(&now);
  writeText(log.file, formatText(L"Started executable %s at %S\n",
                                 {std::wstring(executable.data(), length), localTime ? localTime : "\n"}));
  log.startMillis = nowMillis();
}

void writeToLogFile(LineKind kind, const std::wstring& message) {
  NativeLog& log = nativeLog();
  if (!log.lockCreated) { // the first line comes from the main thread before any other thread exists
    InitializeCriticalSection(&log.lock);
    log.lockCreated = true;
  }
  EnterCriticalSection(&log.lock);
  if (!log.initialised)
    initialise(log);
  else if (log.file == INVALID_HANDLE_VALUE && !log.path.empty())
    log.file = openForAppending(log.path); // the first line could not open it; this one may
  if (log.file != INVALID_HANDLE_VALUE)
    writeText(log.file, logLine(log.startMillis, nowMillis(), kind == LineKind::Error, message));
  LeaveCriticalSection(&log.lock);
}

} // namespace

void installNativeLog() { setLogSink(&writeToLogFile); }

std::wstring getLogPath() {
  NativeLog& log = nativeLog();
  log.pathHandedOut = true;
  return log.path;
}

} // namespace lnx
