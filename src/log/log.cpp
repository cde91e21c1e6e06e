#include "log/log.h"

namespace lnx {

namespace {
LogSink currentSink = nullptr;
} // namespace

void setLogSink(LogSink sink) { currentSink = sink; }

void writeLogLine(LineKind kind, const std::wstring& message) {
  if (currentSink) currentSink(kind, message);
}

} // namespace lnx
