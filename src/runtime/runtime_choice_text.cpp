#include "runtime/runtime_choice_text.h"

#include "text/codepage.h"
#include "text/format_text.h"

namespace lnx {

std::wstring runtimeChoiceExplanation(const std::wstring& message, const char* bitsText, const std::wstring& minimumLabel,
                                      const std::string& minimum, const std::wstring& maximumLabel,
                                      const std::string& maximum) {
  std::wstring text = formatText(message.c_str(), {FormatArg(bitsText)});
  std::wstring bounds;
  if (!minimum.empty()) bounds += L" (" + minimumLabel + L" " + narrowToWide(minimum);
  if (!maximum.empty()) bounds += (bounds.empty() ? L" (" : L", ") + maximumLabel + L" " + narrowToWide(maximum);
  return bounds.empty() ? text : text + bounds + L")";
}

std::wstring downloadProgressText(const std::wstring& format, uint32_t received, uint32_t size, uint32_t elapsedMs) {
  const double megabyte = 1024.0 * 1024.0;
  double percent = received * 100.0 / (size ? size : 1);
  double rate = static_cast<double>(received) / (elapsedMs ? elapsedMs : 1);
  return formatText(format.c_str(),
                    {FormatArg(received / megabyte), FormatArg(size / megabyte), FormatArg(percent), FormatArg(rate)});
}

int downloadProgressPosition(uint32_t received, uint32_t size) {
  return size ? static_cast<int>(static_cast<uint64_t>(received) * 100 / size) : 0;
}

} // namespace lnx
