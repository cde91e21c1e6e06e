#include <windows.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "base/launcher_state.h"
#include "fs/temp_dir.h"
#include "log/error_report.h"
#include "log/log.h"
#include "log/log_text.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "text/codepage.h"

namespace lnx {

namespace {

constexpr size_t kTextChars = 6000;
std::atomic<HWND> errorOwner{nullptr}; // set by the dialog's thread, read by every thread

std::wstring limited(std::wstring text) {
  if (text.size() > kTextChars - 1) text.resize(kTextChars - 1);
  return text;
}

std::wstring longFormOf(const std::wstring& path) {
  std::vector<wchar_t> buffer(kTextChars);
  DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  return length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : path;
}

// The text with the log's path (handing the path out keeps the log).
std::wstring withLogPath(const std::wstring& text) {
  std::wstring logPath = getLogPath();
  return limited(composeErrorText(text, logPath.empty() ? logPath : longFormOf(logPath)));
}

void printOnStandardError(const std::wstring& composed) {
  std::string narrow;
  wideToNarrow(composed, narrow);
  std::fprintf(stderr, "%s\n", narrow.c_str());
  std::fflush(stderr);
}

} // namespace

void setErrorOwner(void* window) { errorOwner = static_cast<HWND>(window); }

void showError(const std::wstring& text) {
  std::wstring composed = withLogPath(text);
  if (launcherState().showMessageBoxes) {
    // Before the tables are read (a failure while reading them) the caption is the default.
    std::wstring caption = getMessageOrConfig(message::errorCaption);
    if (caption.empty()) caption = defaultMessageText(message::errorCaption);
    MessageBoxW(errorOwner, composed.c_str(), caption.c_str(), MB_ICONERROR);
  } else {
    printOnStandardError(composed);
  }
}

void showErrorOnStandardError(const std::wstring& text) { printOnStandardError(withLogPath(text)); }

void showErrorMessage(int messageId, const wchar_t* argument) {
  std::wstring text = limited(getMessageOrConfig(messageId));
  showError(argument ? replacePlaceholder(text, argument) : text);
}

void showErrorMessageNarrow(int messageId, const char* argument) {
  std::wstring wide = argument ? limited(narrowToWide(argument)) : std::wstring();
  showErrorMessage(messageId, argument ? wide.c_str() : nullptr);
}

void exitLauncher(unsigned exitCode) {
  removeExtractionDirectory();
  std::fflush(nullptr);
  ExitProcess(exitCode);
}

void failWithText(const std::wstring& text) {
  showError(text);
  exitLauncher(1);
}

void failWithMessage(int messageId) {
  showError(limited(getMessage(messageId)));
  exitLauncher(1);
}

void failWithMessageArgument(int messageId, const wchar_t* argument) {
  showErrorMessage(messageId, argument);
  exitLauncher(1);
}

void failWithMessageNarrow(int messageId, const char* argument) {
  showErrorMessageNarrow(messageId, argument);
  exitLauncher(1);
}

void failOnEscapedException(const wchar_t* where) noexcept {
  logError(L"%s ended by an exception", where);
  failWithMessageArgument(message::internalError, L"90");
}

} // namespace lnx
