#pragma once
// The texts the launcher shows while it gets a runtime: the runtime choice dialog's
// explanation with the version bounds, and the download's progress line.
#include <cstdint>
#include <string>

namespace lnx {

// The message ("%S" becomes the launcher's width, "32" or "64"), then " (" minimum label + " "
// + minimum, ", " (or " (") maximum label + " " + maximum, and ")" when anything was appended.
std::wstring runtimeChoiceExplanation(const std::wstring& message, const char* bitsText, const std::wstring& minimumLabel,
                                      const std::string& minimum, const std::wstring& maximumLabel,
                                      const std::string& maximum);

// The progress format ("%.2f MB of %.2f MB (%.1f%%) at %.1f kb/s") with received and size in
// MB, the percentage and bytes per millisecond; an empty size or no elapsed time count as 1.
std::wstring downloadProgressText(const std::wstring& format, uint32_t received, uint32_t size, uint32_t elapsedMs);

// received x 100 / size, truncated; 0 for an empty size.
int downloadProgressPosition(uint32_t received, uint32_t size);

} // namespace lnx
