#pragma once
// The texts of the native log and of the error reports, built without the platform.
#include <cstdint>
#include <functional>
#include <string>

namespace lnx {

// "[seconds:milliseconds] " from the low 32 bits of two millisecond clocks; the
// milliseconds carry no leading zeros.
std::wstring logStamp(uint64_t startMillis, uint64_t nowMillis);

// One line of the log: stamp, "ERROR: " for error lines, the message and a line feed.
std::wstring logLine(uint64_t startMillis, uint64_t nowMillis, bool isError, const std::wstring& message);

enum class CreateResult { Created, Exists, Failed };

// Creates "%slnx_nlog_%d.log" with the first number from 1 whose file does not exist yet;
// number 1000 is taken (overwrite set) whatever exists. Creating rather than testing for
// existence keeps concurrent runs from choosing the same file. Returns the created name,
// or empty when creation failed. directory ends in a separator.
std::wstring createNumberedLogFile(const std::wstring& directory,
                                   const std::function<CreateResult(const std::wstring& name, bool overwrite)>& create);

// The first "{0}" replaced by the argument; a message without it stays as it is.
std::wstring replacePlaceholder(const std::wstring& message, const std::wstring& argument);

// The text of an error report: the message, and "\n\nLog: " with the log path when there is one.
std::wstring composeErrorText(const std::wstring& message, const std::wstring& logPath);

} // namespace lnx
