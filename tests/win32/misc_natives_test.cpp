// The Misc class's natives against real (Wine) processes, windows, memory, disks and the
// restart operations, called through the executable's export table with the fake VM as
// their JNIEnv. reboot0 is only looked up, never called. Processes are ended only when
// this test started them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "natives/registry_values.h"
#include "natives/running_processes.h"

namespace lnx {
namespace {

constexpr char kMiscClass[] = "com/lanternix/runtime/installer/platform/win32/Misc";
constexpr wchar_t kWindowClass[] = L"LnxMiscTestWindow";
constexpr wchar_t kPing[] = L"C:\\windows\\system32\\ping.exe";
constexpr wchar_t kNotepad[] = L"C:\\windows\\system32\\notepad.exe";
constexpr jint kNoProcess = 0x7FFFFFFC;
constexpr wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingOperations[] = L"PendingFileRenameOperations";

using VoidNative = void(JNICALL*)(JNIEnv*, jclass);
using TextsNative = jobjectArray(JNICALL*)(JNIEnv*, jclass);
using RunningModulesNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jboolean);
using LongNative = jlong(JNICALL*)(JNIEnv*, jclass);
using DiskSpaceNative = jlong(JNICALL*)(JNIEnv*, jclass, jstring);
using MoveNative = jboolean(JNICALL*)(JNIEnv*, jclass, jstring, jstring);
using TerminateNative = jint(JNICALL*)(JNIEnv*, jclass, jintArray, jboolean, jint);
using TitleNative = jstring(JNICALL*)(JNIEnv*, jclass, jint);
using HandleNative = void(JNICALL*)(JNIEnv*, jclass, jlong);
using WindowsNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jclass, jint);
using PidNative = jint(JNICALL*)(JNIEnv*, jclass, jlong);

std::vector<std::wstring> settingChangeAreas;

LRESULT CALLBACK testWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTINGCHANGE && lParam) settingChangeAreas.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of this process, destroyed with the object.
class TestWindow {
public:
  TestWindow(const wchar_t* title, bool visible, HWND owner = nullptr) {
    static const ATOM registered = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = testWindowProcedure;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = kWindowClass;
      return RegisterClassW(&windowClass);
    }();
    EXPECT_NE(0, registered);
    window_ = CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 200, 100,
                              owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, window_) << "a display for the window";
  }
  ~TestWindow() { DestroyWindow(window_); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return window_; }

private:
  HWND window_ = nullptr;
};

// Handles this thread's window messages for a while (foreground changes arrive as messages).
void pumpMessages(DWORD millis) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    Sleep(10);
  } while (GetTickCount() - start < millis);
}

// A process this test started, its output going nowhere; ended with the object when it
// still runs.
class ChildProcess {
public:
  ChildProcess(const std::wstring& application, std::wstring commandLine, const wchar_t* directory = nullptr) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    nowhere_ = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                           OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere_;
    EXPECT_TRUE(CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, directory,
                               &startup, &process_))
        << GetLastError();
  }
  ~ChildProcess() {
    if (running()) TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    CloseHandle(nowhere_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  DWORD id() const { return process_.dwProcessId; }
  HANDLE handle() const { return process_.hProcess; }
  bool running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
  bool endsWithin(DWORD millis) const { return WaitForSingleObject(process_.hProcess, millis) == WAIT_OBJECT_0; }

  // Waits until the process shows a visible top-level window.
  bool showsWindow() const {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(50))
      for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == id() && IsWindowVisible(window)) return true;
      }
    return false;
  }

private:
  HANDLE nowhere_ = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process_{};
};

std::wstring temporaryPath(const std::wstring& name) {
  wchar_t directory[MAX_PATH];
  GetTempPathW(MAX_PATH, directory);
  return directory + name + L"-" + std::to_wstring(GetCurrentProcessId());
}

std::wstring ownImagePath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring processText(DWORD processId, const std::wstring& path) { return std::to_wstring(processId) + L" " + path; }

bool contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class MiscNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(reboot && getRunningModules && getEnvVarPairs && broadcastSettingChange && getPhysicalMemory &&
                getFreeDiskSpace && moveWithDelayUntilReboot && toFront && terminateProcesses && getWindowTitle &&
                setForegroundWindow && getTopLevelWindows && getPidFromHandle)
        << "every Misc native is exported under its decorated name";
  }

  std::vector<std::wstring> texts(jobject array) {
    std::vector<std::wstring> result;
    jnifake::JsonValue described = jvm.describe(array);
    for (const jnifake::JsonValue& item : described.items())
      result.emplace_back(item.asText().begin(), item.asText().end());
    return result;
  }
  jint terminate(const std::vector<jint>& processIds, bool force, jint timeLimit) {
    return terminateProcesses(env, nullptr, jvm.newIntArray(processIds), force, timeLimit);
  }
  std::wstring title(DWORD processId) {
    std::optional<std::u16string> title = jvm.stringText(getWindowTitle(env, nullptr, static_cast<jint>(processId)));
    return title ? std::wstring(title->begin(), title->end()) : L"(null)";
  }

  const DWORD ownProcess = GetCurrentProcessId();

  NativeMethod<VoidNative> reboot = nativeFunction<VoidNative>(kMiscClass, "reboot0");
  NativeMethod<RunningModulesNative> getRunningModules = nativeFunction<RunningModulesNative>(kMiscClass, "getRunningModules0");
  NativeMethod<TextsNative> getEnvVarPairs = nativeFunction<TextsNative>(kMiscClass, "getEnvVarPairs0");
  NativeMethod<VoidNative> broadcastSettingChange = nativeFunction<VoidNative>(kMiscClass, "broadcastSettingChange0");
  NativeMethod<LongNative> getPhysicalMemory = nativeFunction<LongNative>(kMiscClass, "getPhysicalMemory0");
  NativeMethod<DiskSpaceNative> getFreeDiskSpace = nativeFunction<DiskSpaceNative>(kMiscClass, "getFreeDiskSpace0");
  NativeMethod<MoveNative> moveWithDelayUntilReboot = nativeFunction<MoveNative>(kMiscClass, "moveWithDelayUntilReboot0");
  NativeMethod<VoidNative> toFront = nativeFunction<VoidNative>(kMiscClass, "toFront0");
  NativeMethod<TerminateNative> terminateProcesses = nativeFunction<TerminateNative>(kMiscClass, "terminateProcesses0");
  NativeMethod<TitleNative> getWindowTitle = nativeFunction<TitleNative>(kMiscClass, "getWindowTitle0");
  NativeMethod<HandleNative> setForegroundWindow = nativeFunction<HandleNative>(kMiscClass, "setForegroundWindow0");
  NativeMethod<WindowsNative> getTopLevelWindows = nativeFunction<WindowsNative>(kMiscClass, "getTopLevelWindows0");
  NativeMethod<PidNative> getPidFromHandle = nativeFunction<PidNative>(kMiscClass, "getPidFromHandle0");
};

TEST_F(MiscNatives, RunningProcessesAreListedByIdAndImagePath) {
  // Wine names a ".tmp" image and its main module alike, so the main module's name for it
  // can only be seen as the image path here.
  std::wstring temporaryImage = temporaryPath(L"lnx-ping") + L".tmp";
  ASSERT_TRUE(CopyFileW(kPing, temporaryImage.c_str(), FALSE));
  {
    ChildProcess ping(temporaryImage, L"ping -n 60 127.0.0.1");
    for (jboolean disableDebugPrivilege : {JNI_FALSE, JNI_TRUE}) {
      std::vector<std::wstring> listed = texts(getRunningModules(env, nullptr, disableDebugPrivilege));
      EXPECT_TRUE(contains(listed, processText(ownProcess, ownImagePath())));
      EXPECT_TRUE(contains(listed, processText(ping.id(), temporaryImage)));
      for (const std::wstring& entry : listed)
        EXPECT_EQ(entry.find_first_not_of(L"0123456789"), entry.find(L' ')) << "id and space first";
    }
    // The listing the native falls back to when the first gives nothing.
    std::vector<std::wstring> snapshot = processTextsBySnapshot();
    EXPECT_TRUE(contains(snapshot, processText(ownProcess, ownImagePath())));
    EXPECT_TRUE(contains(snapshot, processText(ping.id(), temporaryImage)));
  }
  DeleteFileW(temporaryImage.c_str());
}

TEST_F(MiscNatives, ForceEndsEveryProcessThatOpens) {
  ChildProcess first(kPing, L"ping -n 60 127.0.0.1");
  ChildProcess second(kPing, L"ping -n 60 127.0.0.1");
  EXPECT_EQ(1, terminate({jint(first.id()), jint(second.id())}, true, 0));
  EXPECT_TRUE(first.endsWithin(5000));
  EXPECT_TRUE(second.endsWithin(5000));
  DWORD exitCode = 1;
  EXPECT_TRUE(GetExitCodeProcess(first.handle(), &exitCode) && exitCode == 0);

  ChildProcess third(kPing, L"ping -n 60 127.0.0.1");
  // (Wine keeps an ended child open for its parent, so an id that is not in use stands in.)
  EXPECT_EQ(0, terminate({kNoProcess, jint(third.id())}, true, 0)) << "a process that does not open";
  EXPECT_TRUE(third.endsWithin(5000)) << "the ids after a failure are still ended";
  EXPECT_EQ(1, terminate({}, true, 0));
  EXPECT_EQ(0, terminateProcesses(env, nullptr, nullptr, true, 0)) << "no array ends nothing";
}

TEST_F(MiscNatives, PoliteEndClosesWindowsAndWaitsForTheProcesses) {
  ChildProcess notepad(kNotepad, L"notepad");
  ASSERT_TRUE(notepad.showsWindow());
  EXPECT_EQ(1, terminate({jint(notepad.id())}, false, 15000));
  EXPECT_FALSE(notepad.running());
  EXPECT_EQ(1, terminate({}, false, 0)) << "nothing to wait for";
}

TEST_F(MiscNatives, PoliteEndFailsAtOnceForAProcessWithoutWindow) {
  ChildProcess notepad(kNotepad, L"notepad");
  ChildProcess ping(kPing, L"ping -n 60 127.0.0.1");
  ASSERT_TRUE(notepad.showsWindow());
  DWORD start = GetTickCount();
  EXPECT_EQ(0, terminate({jint(ping.id()), jint(notepad.id())}, false, 30000));
  EXPECT_LT(GetTickCount() - start, 10000u) << "no wait";
  EXPECT_TRUE(notepad.endsWithin(15000)) << "the windows found were still closed";
  EXPECT_TRUE(ping.running());
}

TEST_F(MiscNatives, PoliteEndTimesOutWhileAProcessStays) {
  // This process is told to close its window but goes on running.
  TestWindow window(L"Stays open", true);
  DWORD start = GetTickCount();
  EXPECT_EQ(3, terminate({jint(ownProcess)}, false, 300));
  EXPECT_GE(GetTickCount() - start, 250u);
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, window.get(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "WM_CLOSE was posted";
  EXPECT_EQ(3, terminate(std::vector<jint>(64, jint(ownProcess)), false, 100)) << "64 processes can be waited for";
  EXPECT_EQ(2, terminate(std::vector<jint>(65, jint(ownProcess)), false, 100)) << "65 cannot";
  while (PeekMessageW(&message, window.get(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
  }
}

TEST_F(MiscNatives, WindowTitleIsTheFirstVisibleTitledOneElseTheLastHiddenOne) {
  TestWindow visible(L"Shown", true);
  TestWindow untitled(L"", true);
  TestWindow hidden(L"Hidden above", false);
  EXPECT_EQ(L"Shown", title(ownProcess)) << "hidden and untitled windows above it are passed over";
  ShowWindow(visible.get(), SW_HIDE);
  TestWindow lowest(L"Hidden lowest", false);
  ASSERT_TRUE(SetWindowPos(lowest.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  EXPECT_EQ(L"Hidden lowest", title(ownProcess));
  ChildProcess ping(kPing, L"ping -n 60 127.0.0.1");
  EXPECT_EQ(L"", title(ping.id()));
}

TEST_F(MiscNatives, TopLevelWindowsAreTheVisibleUnownedOnesWithTitles) {
  jclass infoClass = env->FindClass("com/lanternix/api/windows/WindowInfo");
  ASSERT_NE(nullptr, infoClass);
  TestWindow titled(L"Shown \u4e2d", true);
  TestWindow untitled(L"", true);
  TestWindow owned(L"Owned", true, titled.get());
  TestWindow hidden(L"Hidden", false);
  std::string expectedInfo = "{\"class\": \"com/lanternix/api/windows/WindowInfo\", \"arguments\": [" +
                             std::to_string(reinterpret_cast<intptr_t>(titled.get())) + ", " +
                             std::to_string(GetWindowLongW(titled.get(), GWL_STYLE)) +
                             ", \"LnxMiscTestWindow\", \"Shown \\u4e2d\"]}";
  EXPECT_EQ("[" + expectedInfo + ", null]", shown(getTopLevelWindows(env, nullptr, infoClass, jint(ownProcess))))
      << "a slot for the untitled window, left null at the end";

  ChildProcess ping(kPing, L"ping -n 60 127.0.0.1");
  EXPECT_EQ(nullptr, getTopLevelWindows(env, nullptr, infoClass, jint(ping.id())));
  EXPECT_EQ(nullptr, getTopLevelWindows(env, nullptr, env->FindClass("java/lang/String"), jint(ownProcess)))
      << "a class without the constructor";
  EXPECT_EQ(nullptr, getTopLevelWindows(env, nullptr, nullptr, jint(ownProcess)));
}

TEST_F(MiscNatives, OwnVisibleWindowsComeToTheForeground) {
  TestWindow lower(L"Lower", true);
  TestWindow upper(L"Upper", true);
  TestWindow hidden(L"Hidden", false);
  pumpMessages(300);
  ASSERT_EQ(upper.get(), GetForegroundWindow());
  // Each visible window in turn, from the top: the lowest one ends in front.
  toFront(env, nullptr);
  pumpMessages(300);
  EXPECT_EQ(lower.get(), GetForegroundWindow());
}

TEST_F(MiscNatives, MinimizedWindowIsRestoredIntoTheForeground) {
  TestWindow other(L"Other", true);
  TestWindow minimized(L"Minimized", true);
  ShowWindow(minimized.get(), SW_MINIMIZE);
  pumpMessages(300);
  ASSERT_TRUE(IsIconic(minimized.get()));
  // Only the low 32 bits of the long are the handle.
  setForegroundWindow(env, nullptr, jlong(0x7654321000000000) | jlong(reinterpret_cast<uintptr_t>(minimized.get())));
  pumpMessages(300);
  EXPECT_FALSE(IsIconic(minimized.get()));
  EXPECT_EQ(minimized.get(), GetForegroundWindow());
  setForegroundWindow(env, nullptr, jlong(reinterpret_cast<uintptr_t>(other.get())));
  pumpMessages(300);
  EXPECT_EQ(other.get(), GetForegroundWindow());
}

TEST_F(MiscNatives, SettingChangeReachesTopLevelWindows) {
  TestWindow listener(L"Listener", false);
  settingChangeAreas.clear();
  broadcastSettingChange(env, nullptr);
  EXPECT_EQ(std::vector<std::wstring>{L"Environment"}, settingChangeAreas);
}

TEST_F(MiscNatives, ProcessIdOfAHandle) {
  ChildProcess ping(kPing, L"ping -n 60 127.0.0.1");
  EXPECT_EQ(jint(ping.id()), getPidFromHandle(env, nullptr, jlong(reinterpret_cast<uintptr_t>(ping.handle()))));
  EXPECT_EQ(jint(ping.id()),
            getPidFromHandle(env, nullptr, jlong(0x100000000) | jlong(reinterpret_cast<uintptr_t>(ping.handle()))));
  EXPECT_EQ(jint(ownProcess), getPidFromHandle(env, nullptr, -1)) << "the pseudo handle of this process";
  EXPECT_EQ(0, getPidFromHandle(env, nullptr, 0));
}

TEST_F(MiscNatives, EnvironmentPairsInBlockOrder) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"LNX_MISC_TEST", L"a=b;\u00e9"));
  ASSERT_TRUE(SetEnvironmentVariableW(L"=Q:", L"Q:\\dir"));
  std::vector<std::wstring> pairs = texts(getEnvVarPairs(env, nullptr));
  SetEnvironmentVariableW(L"LNX_MISC_TEST", nullptr);
  SetEnvironmentVariableW(L"=Q:", nullptr);
  EXPECT_TRUE(contains(pairs, L"LNX_MISC_TEST=a=b;\u00e9"));
  EXPECT_TRUE(contains(pairs, L"=Q:=Q:\\dir")) << "entries that begin with = too";
  EXPECT_TRUE(std::none_of(pairs.begin(), pairs.end(), [](const std::wstring& pair) { return pair.empty(); }));
}

TEST_F(MiscNatives, PhysicalMemoryAndFreeDiskSpace) {
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  EXPECT_EQ(jlong(memory.ullTotalPhys), getPhysicalMemory(env, nullptr)) << "all 64 bits";

  ULARGE_INTEGER available{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr));
  jlong free = getFreeDiskSpace(env, nullptr, text(L"C:\\"));
  EXPECT_GT(free, 0);
  EXPECT_LT(std::llabs(free - jlong(available.QuadPart)), jlong(1) << 30);
  EXPECT_EQ(-1, getFreeDiskSpace(env, nullptr, text(L"Q:\\"))) << "no such drive";
  EXPECT_EQ(-1, getFreeDiskSpace(env, nullptr, text(L"C:\\lnx-no-such-directory\\")));
}

// The pending restart operations as pairs of texts; the value is put back as it was.
class PendingOperations {
public:
  PendingOperations() { original_ = read(); }
  ~PendingOperations() {
    if (original_)
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingOperations, REG_MULTI_SZ, original_->data(),
                      static_cast<DWORD>(original_->size()));
    else
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingOperations);
  }
  PendingOperations(const PendingOperations&) = delete;
  PendingOperations& operator=(const PendingOperations&) = delete;

  // The texts added since the object was made.
  std::vector<std::u16string> added() const {
    std::optional<std::vector<uint8_t>> now = read();
    std::vector<std::u16string> all = now ? registryTexts(now->data(), now->size()) : std::vector<std::u16string>();
    size_t before = original_ ? registryTexts(original_->data(), original_->size()).size() : 0;
    return std::vector<std::u16string>(all.begin() + std::min(before, all.size()), all.end());
  }

private:
  static std::optional<std::vector<uint8_t>> read() {
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingOperations, RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::vector<uint8_t> data(size);
    RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingOperations, RRF_RT_REG_MULTI_SZ, nullptr, data.data(),
                 &size);
    data.resize(size);
    return data;
  }
  std::optional<std::vector<uint8_t>> original_;
};

TEST_F(MiscNatives, MovesAndDeletionsAreScheduledForTheRestart) {
  std::wstring source = temporaryPath(L"lnx-move-source");
  std::wstring target = temporaryPath(L"lnx-move-target");
  CloseHandle(CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  PendingOperations pending;
  EXPECT_TRUE(moveWithDelayUntilReboot(env, nullptr, text(source), nullptr));
  EXPECT_TRUE(moveWithDelayUntilReboot(env, nullptr, text(source), text(target)));
  EXPECT_FALSE(moveWithDelayUntilReboot(env, nullptr, nullptr, text(target)));
  std::u16string sourceName = u"\\??\\" + std::u16string(source.begin(), source.end());
  std::u16string targetName = u"\\??\\" + std::u16string(target.begin(), target.end());
  EXPECT_EQ((std::vector<std::u16string>{sourceName, u"", sourceName, targetName}), pending.added())
      << "an empty target deletes";
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(source.c_str())) << "nothing happens before the restart";
  DeleteFileW(source.c_str());
}

} // namespace
} // namespace lnx
