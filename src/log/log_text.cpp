#include "log/log_text.h"

#include "text/format_text.h"

namespace lnx {

std::wstring logStamp(uint64_t startMillis, uint64_t nowMillis) {
  uint32_t elapsed = static_cast<uint32_t>(nowMillis) - static_cast<uint32_t>(startMillis);
  return formatText(L"[%d:%d] ", {static_cast<int>(elapsed / 1000), static_cast<int>(elapsed % 1000)});
}

std::wstring logLine(uint64_t startMillis, uint64_t nowMillis, bool isError, const std::wstring& message) {
  return logStamp(startMillis, nowMillis) + (isError ? L"ERROR: " : L"") + message + L"\n";
}

std::wstring createNumberedLogFile(
    const std::wstring& directory,
    const std::function<CreateResult(const std::wstring& name, bool overwrite)>& create) {
  for (int number = 1; number <= 1000; ++number) {
    std::wstring name = formatText(L"%slnx_nlog_%d.log", {directory, number});
    switch (create(name, number == 1000)) {
    case CreateResult::Created: return name;
    case CreateResult::Failed: return std::wstring();
    case CreateResult::Exists: break;
    }
  }
  return std::wstring();
}

std::wstring replacePlaceholder(const std::wstring& message, const std::wstring& argument) {
  size_t at = message.find(L"{0}");
  if (at == std::wstring::npos) return message;
  return message.substr(0, at) + argument + message.substr(at + 3);
}

std::wstring composeErrorText(const std::wstring& message, const std::wstring& logPath) {
  return logPath.empty() ? message : message + L"\n\nLog: " + logPath;
}

} // namespace lnx
