// The ShellLink class's natives with the real (Wine) shell, called through the executable's
// export table, with the fake VM as their JNIEnv. Links are read back through the shell's
// link object and, for what Wine's loader does not give back (the show command), from the
// file's header.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace lnx {
namespace {

constexpr char kShellLinkClass[] = "com/lanternix/runtime/installer/platform/win32/ShellLink";
using CreateNative = jboolean(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring, jstring, jstring, jboolean, jstring,
                                        jint);
using NotifyNative = jboolean(JNICALL*)(JNIEnv*, jclass, jbyteArray, jbyteArray);
using ComNative = jboolean(JNICALL*)(JNIEnv*, jclass);

// Link header flags (the shell link file format): which optional parts the file holds.
constexpr uint32_t kHasName = 0x04;
constexpr uint32_t kHasWorkingDirectory = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;

// A link file as the shell reads it back.
struct SavedLink {
  std::wstring target;
  std::wstring workingDirectory;
  std::wstring arguments;
  std::wstring description;
  std::wstring iconFile;
  int iconIndex = -1;
  uint32_t headerFlags = 0;
  uint32_t showCommand = 0;
};

uint32_t littleEndianAt(const std::vector<char>& bytes, size_t offset, size_t count) {
  uint32_t value = 0;
  for (size_t index = count; index-- > 0;)
    value = value << 8 | static_cast<uint8_t>(bytes.at(offset + index));
  return value;
}

// Needs COM on the calling thread.
SavedLink readLink(const std::wstring& path) {
  SavedLink saved;
  IShellLinkW* link = nullptr;
  EXPECT_EQ(S_OK, CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                   reinterpret_cast<void**>(&link)));
  IPersistFile* file = nullptr;
  link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file));
  EXPECT_EQ(S_OK, file->Load(path.c_str(), STGM_READ));
  wchar_t text[MAX_PATH] = L"";
  link->GetPath(text, MAX_PATH, nullptr, 0);
  saved.target = text;
  link->GetWorkingDirectory(text, MAX_PATH);
  saved.workingDirectory = text;
  link->GetArguments(text, MAX_PATH);
  saved.arguments = text;
  link->GetDescription(text, MAX_PATH);
  saved.description = text;
  text[0] = L'\0';
  link->GetIconLocation(text, MAX_PATH, &saved.iconIndex);
  saved.iconFile = text;
  file->Release();
  link->Release();

  std::ifstream stream(std::filesystem::path(path), std::ios::binary);
  std::vector<char> header(0x4C);
  stream.read(header.data(), static_cast<std::streamsize>(header.size()));
  saved.headerFlags = littleEndianAt(header, 0x14, 4);
  saved.showCommand = littleEndianAt(header, 0x3C, 4);
  return saved;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ShellLinkNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(createWide && changeNotify && initialize && uninitialize)
        << "every ShellLink native is exported under its decorated name";
    ASSERT_TRUE(initialize(env, nullptr));
    comInitialized = true;
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    directory = std::wstring(temp) + L"lnx-links-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
  }

  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(directory), ignored);
    if (comInitialized) {
      EXPECT_TRUE(uninitialize(env, nullptr));
    }
    NativeTest::TearDown();
  }

  jstring textOrNull(const wchar_t* value) { return value ? text(value) : nullptr; }
  // A path as the Java side hands it to changeNotify0: UTF-16LE bytes.
  jbyteArray pathBytes(const std::wstring& path, bool terminated = true) {
    std::vector<jbyte> bytes;
    for (wchar_t unit : path + (terminated ? std::wstring(1, L'\0') : L"")) {
      bytes.push_back(static_cast<jbyte>(unit & 0xFF));
      bytes.push_back(static_cast<jbyte>(unit >> 8));
    }
    return jvm.newByteArray(bytes);
  }

  std::wstring directory;
  bool comInitialized = false;
  NativeMethod<CreateNative> createWide = nativeFunction<CreateNative>(kShellLinkClass, "createWide0");
  NativeMethod<NotifyNative> changeNotify = nativeFunction<NotifyNative>(kShellLinkClass, "changeNotify0");
  NativeMethod<ComNative> initialize = nativeFunction<ComNative>(kShellLinkClass, "initialize0");
  NativeMethod<ComNative> uninitialize = nativeFunction<ComNative>(kShellLinkClass, "uninitialize");
};

TEST_F(ShellLinkNatives, LinkKeepsEveryGivenPart) {
  std::wstring link = directory + L"\\full.lnk";
  ASSERT_TRUE(createWide(env, nullptr, text(link), text(L"C:\\windows\\system32\\cmd.exe"), text(L"C:\\windows"),
                         text(L"C:\\windows\\system32\\shell32.dll"), text(L"/k echo \u00e9t\u00e9"), false,
                         text(L"Opens a console"), SW_SHOWMAXIMIZED));
  SavedLink saved = readLink(link);
  EXPECT_EQ(L"C:\\windows\\system32\\cmd.exe", saved.target);
  EXPECT_EQ(L"C:\\windows", saved.workingDirectory);
  EXPECT_EQ(L"/k echo \u00e9t\u00e9", saved.arguments);
  EXPECT_EQ(L"Opens a console", saved.description);
  EXPECT_EQ(L"C:\\windows\\system32\\shell32.dll", saved.iconFile);
  EXPECT_EQ(0, saved.iconIndex);
  EXPECT_EQ(static_cast<uint32_t>(SW_SHOWMAXIMIZED), saved.showCommand);
  uint32_t optionalParts = kHasName | kHasWorkingDirectory | kHasArguments | kHasIconLocation;
  EXPECT_EQ(optionalParts, saved.headerFlags & optionalParts);
}

TEST_F(ShellLinkNatives, MissingOptionalTextsLeaveTheirPartsOut) {
  std::wstring link = directory + L"\\plain.lnk";
  ASSERT_TRUE(createWide(env, nullptr, text(link), text(L"C:\\windows\\notepad.exe"), text(L"C:\\windows"), nullptr,
                         nullptr, false, nullptr, SW_SHOWMINNOACTIVE));
  SavedLink saved = readLink(link);
  EXPECT_EQ(L"C:\\windows\\notepad.exe", saved.target);
  EXPECT_EQ(L"C:\\windows", saved.workingDirectory);
  EXPECT_EQ(L"", saved.arguments);
  EXPECT_EQ(static_cast<uint32_t>(SW_SHOWMINNOACTIVE), saved.showCommand);
  EXPECT_EQ(kHasWorkingDirectory,
            saved.headerFlags & (kHasName | kHasWorkingDirectory | kHasArguments | kHasIconLocation));

  // Nor does a missing working directory reach the link object (Wine's would crash).
  std::wstring bare = directory + L"\\bare.lnk";
  ASSERT_TRUE(createWide(env, nullptr, text(bare), text(L"C:\\windows\\notepad.exe"), nullptr, nullptr, nullptr, false,
                         nullptr, SW_SHOWNORMAL));
  EXPECT_EQ(0u, readLink(bare).headerFlags & kHasWorkingDirectory);
}

TEST_F(ShellLinkNatives, RunAsAdministratorLinksAreSaved) {
  // Wine's link object drops SLDF_RUNAS_USER, so the flag cannot be read back here; what can
  // be seen is that asking for it does not keep the link from being saved.
  std::wstring link = directory + L"\\admin.lnk";
  ASSERT_TRUE(createWide(env, nullptr, text(link), text(L"C:\\windows\\system32\\cmd.exe"), text(L"C:\\"), nullptr,
                         text(L"/c exit"), true, nullptr, SW_SHOWNORMAL));
  EXPECT_EQ(L"/c exit", readLink(link).arguments);
}

TEST_F(ShellLinkNatives, LinksThatCannotBeSavedAreFalse) {
  std::wstring inMissingDirectory = directory + L"\\missing\\link.lnk";
  EXPECT_FALSE(createWide(env, nullptr, text(inMissingDirectory), text(L"C:\\windows\\notepad.exe"), nullptr, nullptr,
                          nullptr, false, nullptr, SW_SHOWNORMAL));
  EXPECT_FALSE(exists(inMissingDirectory));
  EXPECT_FALSE(createWide(env, nullptr, nullptr, text(L"C:\\windows\\notepad.exe"), nullptr, nullptr, nullptr, false,
                          nullptr, SW_SHOWNORMAL))
      << "no link file named";
}

TEST_F(ShellLinkNatives, LinksNeedComOnTheirThread) {
  std::wstring before = directory + L"\\before.lnk";
  std::wstring after = directory + L"\\after.lnk";
  std::vector<bool> results;
  std::thread([&] {
    // The fake VM serves any thread.
    results.push_back(createWide(env, nullptr, text(before), text(L"C:\\windows\\notepad.exe"), nullptr, nullptr,
                                 nullptr, false, nullptr, SW_SHOWNORMAL));
    results.push_back(initialize(env, nullptr));
    results.push_back(createWide(env, nullptr, text(after), text(L"C:\\windows\\notepad.exe"), nullptr, nullptr,
                                 nullptr, false, nullptr, SW_SHOWNORMAL));
    results.push_back(uninitialize(env, nullptr));
  }).join();
  EXPECT_EQ((std::vector<bool>{false, true, true, true}), results);
  EXPECT_FALSE(exists(before));
  EXPECT_TRUE(exists(after));
}

// The shell's notifications for a directory tree, as a window registered for them receives
// them: event and first path.
class ShellNotifications {
public:
  explicit ShellNotifications(const std::wstring& directory) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = receive;
    windowClass.lpszClassName = L"lnx-shell-notifications";
    RegisterClassW(&windowClass);
    window_ = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received_));
    PIDLIST_ABSOLUTE watched = ILCreateFromPathW(directory.c_str());
    SHChangeNotifyEntry entry{watched, TRUE};
    registration_ =
        SHChangeNotifyRegister(window_, SHCNRF_ShellLevel | SHCNRF_NewDelivery, SHCNE_ALLEVENTS, kMessage, 1, &entry);
    ILFree(watched);
  }
  ~ShellNotifications() {
    SHChangeNotifyDeregister(registration_);
    DestroyWindow(window_);
  }
  bool registered() const { return window_ && registration_; }

  // What arrived until now, emptied.
  std::vector<std::pair<LONG, std::wstring>> take() {
    MSG message;
    while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    return std::exchange(received_, {});
  }

private:
  static constexpr UINT kMessage = WM_APP + 7;

  static LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kMessage) return DefWindowProcW(window, message, wParam, lParam);
    auto* received =
        reinterpret_cast<std::vector<std::pair<LONG, std::wstring>>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    PIDLIST_ABSOLUTE* items = nullptr;
    LONG event = 0;
    HANDLE lock =
        SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &items, &event);
    if (lock) {
      wchar_t path[MAX_PATH] = L"";
      if (items[0]) SHGetPathFromIDListW(items[0], path);
      received->emplace_back(event, path);
      SHChangeNotification_Unlock(lock);
    }
    return 0;
  }

  HWND window_ = nullptr;
  ULONG registration_ = 0;
  std::vector<std::pair<LONG, std::wstring>> received_;
};

TEST_F(ShellLinkNatives, ShellHearsOfTheCreatedFileAndTheChangedDirectory) {
  std::wstring created = directory + L"\\created.txt";
  std::ofstream(std::filesystem::path(created)) << "x";
  ShellNotifications notifications(directory);
  ASSERT_TRUE(notifications.registered());
  using Events = std::vector<std::pair<LONG, std::wstring>>;

  EXPECT_TRUE(changeNotify(env, nullptr, pathBytes(created), pathBytes(directory)));
  EXPECT_EQ((Events{{SHCNE_CREATE, created}, {SHCNE_UPDATEDIR, directory}}), notifications.take());

  // Texts without their terminator are read to their end, not beyond.
  EXPECT_TRUE(changeNotify(env, nullptr, pathBytes(created, false), pathBytes(directory, false)));
  EXPECT_EQ((Events{{SHCNE_CREATE, created}, {SHCNE_UPDATEDIR, directory}}), notifications.take());

  // A missing path is no notification; the other one is still sent.
  EXPECT_TRUE(changeNotify(env, nullptr, nullptr, pathBytes(directory)));
  EXPECT_EQ((Events{{SHCNE_UPDATEDIR, directory}}), notifications.take());
  EXPECT_TRUE(changeNotify(env, nullptr, pathBytes(created), nullptr));
  EXPECT_EQ((Events{{SHCNE_CREATE, created}}), notifications.take());
}

} // namespace
} // namespace lnx
