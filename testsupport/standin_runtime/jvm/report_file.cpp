#include "report_file.h"

#include <windows.h>

#include "whole_file.h"

namespace standin {

void replaceReportFile(const std::wstring& path, const std::string& text) {
  std::wstring written = path + L".new";
  if (writeWholeFile(written, text))
    MoveFileExW(written.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

} // namespace standin
