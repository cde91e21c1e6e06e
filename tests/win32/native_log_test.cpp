// The launcher's log file in this process: each line is in the file, after the lines before
// it, as soon as the call returns, while another program may read the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "log/error_report.h"
#include "log/log.h"
#include "log/native_log.h"

namespace lnx {
namespace {

std::string contentOf(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    content.append(buffer, read);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return content;
}

TEST(NativeLog, EachLineIsInTheFileWhenTheCallReturns) {
  installNativeLog();
  logPrint(L"first line \u00e9");
  std::wstring path = getLogPath(); // handed out: the file stays after the process
  ASSERT_FALSE(path.empty());
  std::string first = contentOf(path);
  EXPECT_EQ(0u, first.rfind("\xEF\xBB\xBFStarted executable ", 0)) << first;
  EXPECT_NE(std::string::npos, first.find("] first line \xC3\xA9\r\n")) << first;

  logError(L"second line");
  std::string second = contentOf(path);
  EXPECT_EQ(0u, second.rfind(first, 0)) << "appended after the first";
  EXPECT_NE(std::string::npos, second.find("] ERROR: second line\r\n", first.size())) << second;

  setLogSink(nullptr);
  EXPECT_TRUE(DeleteFileW(path.c_str())) << "the open log can be deleted; it goes when the process ends";
}

} // namespace
} // namespace lnx
