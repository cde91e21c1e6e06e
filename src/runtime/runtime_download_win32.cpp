#include "runtime/runtime_download.h"

#include <wininet.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "base/progress_bar.h"
#include "base/resource_ids.h"
#include "base/system_dlls.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/runtime_choice.h"
#include "runtime/runtime_choice_text.h"
#include "runtime/runtime_names.h"
#include "win32/procedure.h"

namespace lnx {

namespace {

const wchar_t kUserAgent[] = L"lanternix download agent";
constexpr int kAttempts = 3;
constexpr int kLengthTries = 20;
constexpr DWORD kTransferChunk = 16384;
constexpr DWORD kProgressIntervalMs = 500;

struct WinInet {
  decltype(&InternetOpenW) open = nullptr;
  decltype(&InternetOpenUrlW) openUrl = nullptr;
  decltype(&HttpQueryInfoW) queryInfo = nullptr;
  decltype(&InternetAttemptConnect) attemptConnect = nullptr;
  decltype(&InternetCloseHandle) close = nullptr;
  decltype(&InternetReadFile) readFile = nullptr;
};
WinInet winInet;

bool loadWinInet() {
  HMODULE module = loadSystemLibrary(L"wininet.dll");
  if (!module) {
    logError(L"Could not load wininet.dll");
    return false;
  }
  if (!lookUp(module, "InternetOpenW", winInet.open) || !lookUp(module, "InternetOpenUrlW", winInet.openUrl) ||
      !lookUp(module, "HttpQueryInfoW", winInet.queryInfo) ||
      !lookUp(module, "InternetAttemptConnect", winInet.attemptConnect) ||
      !lookUp(module, "InternetCloseHandle", winInet.close) || !lookUp(module, "InternetReadFile", winInet.readFile)) {
    logError(L"Could not load wininet functions");
    return false;
  }
  return true;
}

HINTERNET openUrl(HINTERNET session, const std::wstring& url) {
  return winInet.openUrl(session, url.c_str(), nullptr, 0, INTERNET_FLAG_PASSIVE | INTERNET_FLAG_NO_CACHE_WRITE, 0);
}

void closeBoth(HINTERNET session, HINTERNET request) {
  winInet.close(request);
  winInet.close(session);
}

void setStatus(HWND dialog, const std::wstring& text) {
  if (dialog) SetDlgItemTextW(dialog, LNX_CONTROL_STATUS_LINE, text.c_str());
}

// A page other than 200 (a 404 page, a redirect left unfollowed) is not the archive.
bool answeredOk(HINTERNET request) {
  DWORD status = 0, size = sizeof status;
  if (!winInet.queryInfo(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    return true; // not HTTP: the length query decides
  if (status == HTTP_STATUS_OK) return true;
  logError(L"the server answered with status %d", static_cast<int>(status));
  return false;
}

std::wstring writeFailure(const char* target) {
  return formatText(L"writing the destination file %S failed with error code %d",
                    {FormatArg(target), FormatArg(static_cast<int>(GetLastError()))});
}

bool transferFile(HWND dialog, HINTERNET session, HINTERNET request, DWORD size, const char* target) {
  logPrint(L"file size: %d, handle %p", static_cast<int>(size), static_cast<const void*>(request));
  FILE* file = std::fopen(target, "wb");
  if (!file) {
    logError(L"opening the destination file %S failed with error code %d", target, static_cast<int>(GetLastError()));
    closeBoth(session, request);
    return false;
  }
  // Nothing of a transfer that does not finish stays behind: neither the file nor the handles.
  auto discard = [&] {
    if (file) std::fclose(std::exchange(file, nullptr));
    DeleteFileA(target);
    closeBoth(session, request);
  };
  auto fail = [&](const std::wstring& line) {
    discard();
    logError(L"%s", line);
    return false;
  };
  std::wstring progressFormat = getMessage(message::downloadProgress);
  DWORD started = GetTickCount(), lastProgress = 0;
  std::vector<char> chunk(kTransferChunk);
  DWORD received = 0;
  while (received < size) {
    if (cancelRequested()) {
      discard();
      logPrint(L"download canceled after %u of %u bytes", received, size);
      stopIfCanceled();
    }
    DWORD read = 0;
    if (!winInet.readFile(request, chunk.data(), std::min(size - received, kTransferChunk), &read))
      return fail(
          formatText(L"InternetReadFile failed with error code %d", {FormatArg(static_cast<int>(GetLastError()))}));
    if (read == 0) // the server closed the connection before the announced length
      return fail(formatText(L"the download ended after %u of %u bytes", {FormatArg(received), FormatArg(size)}));
    if (std::fwrite(chunk.data(), 1, read, file) < read) return fail(writeFailure(target));
    received += read;
    DWORD now = GetTickCount();
    if (dialog && now - lastProgress >= kProgressIntervalMs) {
      lastProgress = now;
      setStatus(dialog, downloadProgressText(progressFormat, received, size, now - started));
      setProgressPosition(dialog, downloadProgressPosition(received, size));
    }
  }
  // The last buffered bytes reach the disk only now: a full disk can show here first.
  if (std::fclose(std::exchange(file, nullptr)) != 0) return fail(writeFailure(target));
  closeBoth(session, request);
  logPrint(L"download successful");
  return true;
}

bool downloadFile(HWND dialog, const std::wstring& url, const char* target) {
  setStatus(dialog, getMessage(message::connecting));
  if (DWORD result = winInet.attemptConnect(0))
    logError(L"InternetAttemptConnect returned %d", static_cast<int>(result));
  HINTERNET session = winInet.open(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) {
    logError(L"InternetOpen failed with error code %d", static_cast<int>(GetLastError()));
    return false;
  }
  HINTERNET request = openUrl(session, url);
  if (!request) {
    logError(L"InternetOpenUrl failed with error code %d", static_cast<int>(GetLastError()));
    winInet.close(session);
    return false;
  }
  DWORD length = 0, lengthSize = sizeof length;
  for (int tries = 0; !winInet.queryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                                         &lengthSize, nullptr);) {
    ++tries;
    logError(L"HttpQueryInfo (try %d) failed with error code %d", tries, static_cast<int>(GetLastError()));
    if (tries == kLengthTries) {
      logError(L"Giving up");
      closeBoth(session, request);
      return false;
    }
    Sleep(300);
    winInet.close(request);
    request = openUrl(session, url);
    if (!request) {
      logError(L"InternetOpenUrl 2 failed with error code %d", static_cast<int>(GetLastError()));
      winInet.close(session);
      return false;
    }
    lengthSize = sizeof length;
  }
  if (!answeredOk(request)) {
    closeBoth(session, request);
    return false;
  }
  return transferFile(dialog, session, request, length, target);
}

void downloadRuntime(HWND dialog, const std::wstring& location) {
  if (dialog) {
    SetDlgItemTextW(dialog, LNX_CONTROL_NOTICE, getMessage(message::downloadNotice).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, getMessage(message::cancelLabel).c_str());
    ShowWindow(GetDlgItem(dialog, LNX_CONTROL_STATUS_LINE), SW_SHOW);
  }
  if (!loadWinInet()) failWithMessage(message::winInetMissing);
  int attempt = 1;
  while (!downloadFile(dialog, location, kRuntimeArchiveName)) {
    Sleep(1000);
    logError(L"Retry JRE download");
    if (++attempt > kAttempts) failWithMessage(message::downloadFailed);
  }
  if (dialog) ShowWindow(GetDlgItem(dialog, LNX_CONTROL_STATUS_LINE), SW_HIDE);
}

} // namespace

DWORD runtimeDownloadFlow(HWND progressWindow) {
  LauncherState& state = launcherState();
  std::wstring location = getConfigWString(config::downloadLocation);
  logPrint(L"Download location: %s", location);
  bool download = getConfigInt(config::downloadWithoutAsking) != 0 ||
                  showRuntimeChoiceDialog(progressWindow, !location.empty()) == LNX_CONTROL_DOWNLOAD;
  if (download) {
    SetCurrentDirectoryA(state.extractionDir.c_str());
    logPrint(L"Downloading JRE");
    downloadRuntime(progressWindow, location);
    logPrint(L"Done");
    state.runtimeIncluded = true;
  }
  return 0;
}

} // namespace lnx
