#pragma once
// The report file of jvm.dll, rewritten after every event so that a test finds it complete
// even when the launcher ends the process abruptly.
#include <string>

namespace standin {

// Replaces the file in one step (written beside it, then renamed over it), so a reader
// never sees half a report.
void replaceReportFile(const std::wstring& path, const std::string& text);

} // namespace standin
