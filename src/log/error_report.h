#pragma once
// Error reporting shared by the whole launcher: the error box (or a line on standard
// error when boxes are off) and the fatal exit, which removes the extraction directory
// before the process ends.
#include <string>

namespace lnx {

// The log file's path; marks the log as kept. Empty before the first log line.
std::wstring getLogPath();

void showError(const std::wstring& text);
// The same text with the log's path as a line on standard error, whatever the launcher type.
void showErrorOnStandardError(const std::wstring& text);
// Message id (MessageTable, else the configuration text of the same id) with the first
// "{0}" replaced by argument when one is given.
void showErrorMessage(int messageId, const wchar_t* argument);
void showErrorMessageNarrow(int messageId, const char* argument);

// These end the process.
[[noreturn]] void exitLauncher(unsigned exitCode);
[[noreturn]] void failWithText(const std::wstring& text);
[[noreturn]] void failWithMessage(int messageId);
[[noreturn]] void failWithMessageArgument(int messageId, const wchar_t* argument);
[[noreturn]] void failWithMessageNarrow(int messageId, const char* argument);
// For an exception that reached a thread or window procedure, which nothing may unwind
// through: logged with where it was caught, then message 1009 with "90".
[[noreturn]] void failOnEscapedException(const wchar_t* where) noexcept;

// The owner window of later error boxes (a window handle, or null). A window that owns them
// sets null again when it is destroyed: a box owned by a destroyed window is not shown.
void setErrorOwner(void* window);

} // namespace lnx
