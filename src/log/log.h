#pragma once
// The launcher's diagnostic trace. Portable code writes lines through logPrint and
// logError; where they go is decided by the sink that the process installs (the native
// log file on Windows, a recorder in tests). Without a sink, lines are dropped.
#include <string>

#include "text/format_text.h"

namespace lnx {

enum class LineKind { Plain, Error };
using LogSink = void (*)(LineKind kind, const std::wstring& message);

void setLogSink(LogSink sink);
void writeLogLine(LineKind kind, const std::wstring& message);

template <class... Args> void logPrint(const wchar_t* format, const Args&... args) {
  writeLogLine(LineKind::Plain, formatText(format, {FormatArg(args)...}));
}

template <class... Args> void logError(const wchar_t* format, const Args&... args) {
  writeLogLine(LineKind::Error, formatText(format, {FormatArg(args)...}));
}

} // namespace lnx
