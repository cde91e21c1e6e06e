// The Win32Handle class's natives against the handles of this (Wine) process and the
// object manager's drive links, called through the executable's export table with the
// fake VM as their JNIEnv.
#include <windows.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace lnx {
namespace {

constexpr char kHandleClass[] = "com/lanternix/runtime/installer/platform/win32/Win32Handle";

using ListNative = jobjectArray(JNICALL*)(JNIEnv*, jclass);
using CloseNative = jboolean(JNICALL*)(JNIEnv*, jclass, jint);
using DeviceNameNative = jstring(JNICALL*)(JNIEnv*, jclass, jstring);

std::wstring temporaryPath(const std::wstring& name) {
  wchar_t directory[MAX_PATH];
  GetTempPathW(MAX_PATH, directory);
  return directory + name + L"-" + std::to_wstring(GetCurrentProcessId());
}

// What the C runtime writes to standard output while the object lives.
class CapturedOutput {
public:
  CapturedOutput() : path_(temporaryPath(L"lnx-stdout")) {
    std::fflush(stdout);
    saved_ = _dup(_fileno(stdout));
    int file = _wopen(path_.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, 0600);
    _dup2(file, _fileno(stdout));
    _close(file);
  }
  ~CapturedOutput() {
    restore();
    _wremove(path_.c_str());
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  std::string text() {
    restore();
    std::string written;
    if (FILE* file = _wfopen(path_.c_str(), L"rb")) {
      for (int character; (character = std::fgetc(file)) != EOF;)
        written.push_back(static_cast<char>(character));
      std::fclose(file);
    }
    return written;
  }

private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    _dup2(saved_, _fileno(stdout));
    _close(saved_);
    saved_ = -1;
  }
  std::wstring path_;
  int saved_ = -1;
};

bool endsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct FileHandleList {
  std::vector<jint> values;
  std::vector<std::wstring> names;

  std::optional<std::wstring> nameOf(HANDLE handle) const {
    for (size_t index = 0; index < values.size(); ++index)
      if (values[index] == static_cast<jint>(reinterpret_cast<uintptr_t>(handle))) return names[index];
    return std::nullopt;
  }
  bool hasNameEndingWith(const std::wstring& end) const {
    for (const std::wstring& name : names)
      if (endsWith(name, end)) return true;
    return false;
  }
};

// A path as the handle names end: without its drive.
std::wstring withoutDrive(const std::wstring& path) { return path.substr(2); }

class HandleNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(list && close && getDeviceName) << "every Win32Handle native is exported under its decorated name";
  }

  void TearDown() override {
    NativeTest::TearDown();
    EXPECT_EQ(0u, jvm.unreleasedArrays());
  }


  // The two arrays list0 returns, checked for their shape.
  FileHandleList listed() {
    jnifake::JsonValue both = jvm.describe(list(env, nullptr));
    FileHandleList result;
    EXPECT_EQ(jnifake::JsonValue::Kind::array, both.kind());
    if (both.items().size() != 2) return result;
    for (const jnifake::JsonValue& value : both.items()[0].items())
      result.values.push_back(static_cast<jint>(value.asNumber()));
    for (const jnifake::JsonValue& name : both.items()[1].items())
      result.names.emplace_back(name.asText().begin(), name.asText().end());
    EXPECT_EQ(result.values.size(), result.names.size());
    return result;
  }


  NativeMethod<ListNative> list = nativeFunction<ListNative>(kHandleClass, "list0");
  NativeMethod<CloseNative> close = nativeFunction<CloseNative>(kHandleClass, "close0");
  NativeMethod<DeviceNameNative> getDeviceName = nativeFunction<DeviceNameNative>(kHandleClass, "getDeviceName0");
};

TEST_F(HandleNatives, ListHoldsTheOwnFileHandlesByName) {
  std::wstring path = temporaryPath(L"lnx-handles");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  HANDLE event =
      CreateEventW(nullptr, TRUE, FALSE, (L"lnx-handles-event-" + std::to_wstring(GetCurrentProcessId())).c_str());
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key));

  FileHandleList files = listed();
  std::optional<std::wstring> fileName = files.nameOf(file);
  ASSERT_TRUE(fileName) << "the open file is listed";
  // Windows names the volume's device; Wine names the drive ("\??\C:\...").
  EXPECT_TRUE(endsWith(*fileName, withoutDrive(path))) << std::string(fileName->begin(), fileName->end());
  EXPECT_FALSE(files.nameOf(event)) << "a named event is no file";
  EXPECT_FALSE(files.nameOf(key)) << "a registry key is no file";
  for (const std::wstring& name : files.names)
    EXPECT_FALSE(name.empty());
  CloseHandle(event);
  RegCloseKey(key);
  CloseHandle(file);
}

DWORD WINAPI readOneByte(void* pipe) {
  char byte = 0;
  DWORD read = 0;
  ReadFile(static_cast<HANDLE>(pipe), &byte, 1, &read, nullptr); // blocks until the test writes
  return 0;
}

TEST_F(HandleNatives, APipeWithABlockedReadIsLeftOutAndDoesNotHoldTheListUp) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  HANDLE reader = CreateThread(nullptr, 0, readOneByte, readEnd, 0, nullptr);
  Sleep(200);
  FileHandleList files = listed();
  EXPECT_FALSE(files.nameOf(readEnd)) << "a pipe is no disk file";
  EXPECT_FALSE(files.nameOf(writeEnd));
  DWORD written = 0;
  WriteFile(writeEnd, "x", 1, &written, nullptr);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 5000));
  CloseHandle(reader);
  CloseHandle(readEnd);
  CloseHandle(writeEnd);
}

TEST_F(HandleNatives, ListLeavesOutTheHandlesOfOtherProcesses) {
  // A child process holds its current directory open; this process holds a file there.
  std::wstring directory = temporaryPath(L"lnx-handles-child");
  ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  std::wstring inside = directory + L"\\own.txt";
  HANDLE file =
      CreateFileW(inside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::wstring commandLine = L"ping -n 60 127.0.0.1";
  ASSERT_TRUE(CreateProcessW(L"C:\\windows\\system32\\ping.exe", &commandLine[0], nullptr, nullptr, FALSE,
                             CREATE_NO_WINDOW, nullptr, directory.c_str(), &startup, &child));
  WaitForInputIdle(child.hProcess, 2000);

  wchar_t ownDirectory[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, ownDirectory);
  FileHandleList files = listed();
  EXPECT_TRUE(files.hasNameEndingWith(withoutDrive(inside)));
  EXPECT_TRUE(files.hasNameEndingWith(withoutDrive(ownDirectory))) << "the own current directory is listed";
  EXPECT_FALSE(files.hasNameEndingWith(withoutDrive(directory))) << "the child's is not";

  TerminateProcess(child.hProcess, 1);
  WaitForSingleObject(child.hProcess, 5000);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  CloseHandle(file);
  RemoveDirectoryW(directory.c_str());
}

TEST_F(HandleNatives, ClosedHandlesAreGone) {
  std::wstring path = temporaryPath(L"lnx-handles-closed");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  jint value = static_cast<jint>(reinterpret_cast<uintptr_t>(file));
  EXPECT_TRUE(close(env, nullptr, value));
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(file, &flags)) << "the handle is closed";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << "and the file with it";
  EXPECT_FALSE(listed().nameOf(file));
  EXPECT_FALSE(close(env, nullptr, value)) << "a handle that is not open";
}

TEST_F(HandleNatives, DeviceNameOfADriveLinkIsItsTarget) {
  wchar_t device[MAX_PATH] = L"";
  ASSERT_NE(0u, QueryDosDeviceW(L"C:", device, MAX_PATH));
  EXPECT_EQ(std::u16string(device, device + wcslen(device)),
            jvm.stringText(getDeviceName(env, nullptr, text(L"\\??\\C:"))));
  EXPECT_EQ(nullptr, getDeviceName(env, nullptr, nullptr));
  {
    CapturedOutput output;
    EXPECT_EQ(nullptr, getDeviceName(env, nullptr, text(L"\\??\\Q:")));
    EXPECT_EQ(0u, output.text().rfind("could not open link \\??\\Q: ", 0)) << output.text();
  }
  // A name longer than a counted string can hold opens nothing (not a shortened name).
  CapturedOutput output;
  EXPECT_EQ(nullptr, getDeviceName(env, nullptr, text(std::wstring(L"\\??\\C:") + std::wstring(32768, L'x'))));
  EXPECT_EQ(0u, output.text().rfind("could not open link \\??\\C:xxx", 0));
}

} // namespace
} // namespace lnx
