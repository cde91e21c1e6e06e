// The Win32Exec class's native starting real (Wine) programs, called through the
// executable's export table, with the fake VM as its JNIEnv.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

using LaunchNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring);

constexpr DWORD kChildWaitMilliseconds = 20000;

// A child process of this one running the program of that file name, opened to be waited
// for; none when there is no such child.
KernelHandle childProcess(const wchar_t* fileName) {
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiW(entry.szExeFile, fileName) == 0)
      return KernelHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
  return KernelHandle();
}

class Win32ExecNatives : public NativeTest {
protected:
  void SetUp() override { ASSERT_TRUE(launch) << "launch0 is exported under its decorated name"; }



  NativeMethod<LaunchNative> launch =
      nativeFunction<LaunchNative>("com/lanternix/runtime/installer/platform/win32/Win32Exec", "launch0");
};

TEST_F(Win32ExecNatives, StartsAProgramFromTheSearchPathWithoutWaitingForIt) {
  // ping waits a second between its echoes, so the child outlives the call by two.
  DWORD start = GetTickCount();
  ASSERT_EQ(0, launch(env, nullptr, nullptr, text(L"cmd.exe /c \"ping -n 3 127.0.0.1 >nul & exit 5\"")));
  EXPECT_LT(GetTickCount() - start, 1500u) << "returned before the child ended";
  KernelHandle child = childProcess(L"cmd.exe");
  ASSERT_TRUE(child.valid()) << "the child still runs";
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), kChildWaitMilliseconds));
  DWORD exitCode = 0;
  ASSERT_TRUE(GetExitCodeProcess(child.get(), &exitCode));
  EXPECT_EQ(5u, exitCode) << "the command line reached the program";
}

TEST_F(Win32ExecNatives, ChildSharesTheEnvironmentAndCurrentDirectory) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  std::wstring directory = std::wstring(temp) + L"lnx-exec-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(directory.c_str());
  SetEnvironmentVariableW(L"LNX_EXEC_MARK", L"marked");

  // The program is named apart from the command line, whose first token is then only text.
  jint result = launch(env, nullptr, text(L"C:\\windows\\system32\\cmd.exe"),
                       text(L"anything /c echo %LNX_EXEC_MARK%>exec-out.txt"));
  SetCurrentDirectoryW(previous);
  SetEnvironmentVariableW(L"LNX_EXEC_MARK", nullptr);
  ASSERT_EQ(0, result);
  KernelHandle child = childProcess(L"cmd.exe");
  if (child.valid()) WaitForSingleObject(child.get(), kChildWaitMilliseconds);
  std::wstring written = directory + L"\\exec-out.txt";
  for (DWORD waited = 0; GetFileAttributesW(written.c_str()) == INVALID_FILE_ATTRIBUTES && waited < 10000; waited += 50)
    Sleep(50); // in case the child ended before it could be found
  std::string line;
  std::ifstream output{std::filesystem::path(written)};
  std::getline(output, line);
  output.close();
  EXPECT_EQ("marked", line.substr(0, line.find_last_not_of("\r ") + 1));
  DeleteFileW(written.c_str());
  RemoveDirectoryW(directory.c_str());
}

TEST_F(Win32ExecNatives, FailuresAreWindowsErrorCodes) {
  EXPECT_EQ(static_cast<jint>(ERROR_FILE_NOT_FOUND), launch(env, nullptr, nullptr, text(L"lnx-no-such-program.exe")));
  EXPECT_EQ(static_cast<jint>(ERROR_PATH_NOT_FOUND),
            launch(env, nullptr, text(L"C:\\lnx-no-such-directory\\program.exe"), text(L"program")));
  EXPECT_EQ(static_cast<jint>(ERROR_INVALID_PARAMETER), launch(env, nullptr, nullptr, nullptr));
  // An application name alone is enough.
  EXPECT_EQ(0, launch(env, nullptr, text(L"C:\\windows\\system32\\hostname.exe"), nullptr));
  KernelHandle child = childProcess(L"hostname.exe");
  if (child.valid()) WaitForSingleObject(child.get(), kChildWaitMilliseconds); // its output stays with this test
}

} // namespace
} // namespace lnx
