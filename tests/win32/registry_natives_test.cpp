// The Registry class's natives against the real (Wine) registry, called through the
// executable's export table by their decorated names, with the fake VM as their JNIEnv.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "natives/native_helpers.h"
#include "win32/privileges.h"

namespace lnx {
namespace {

constexpr char kRegistryClass[] = "com/lanternix/runtime/installer/platform/win32/Registry";
constexpr jint kCurrentUser = 2;
constexpr jint kCurrentConfig = 5;

using KeyNative = jboolean(JNICALL*)(JNIEnv*, jclass, jint, jstring, jint);
using GetValueNative = jobject(JNICALL*)(JNIEnv*, jclass, jint, jstring, jstring, jint);
using SetValueNative = jboolean(JNICALL*)(JNIEnv*, jclass, jint, jstring, jstring, jobject, jint, jint);
using DeleteValueNative = void(JNICALL*)(JNIEnv*, jclass, jint, jstring, jstring, jint);
using DeleteKeyNative = void(JNICALL*)(JNIEnv*, jclass, jint, jstring, jboolean, jint);
using FileNative = jboolean(JNICALL*)(JNIEnv*, jclass, jint, jstring, jstring, jint);
using EnumNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jint, jstring, jint);
using NotifyNative = void(JNICALL*)(JNIEnv*, jclass);

template <typename Function> NativeMethod<Function> registryNative(const char* method) {
  return nativeFunction<Function>(kRegistryClass, method);
}

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

class RegistryNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(keyExists && createKey && getValue && setValue && deleteValue && deleteKey && saveKey &&
                restoreKey && enumSubKeys && enumValues && changeNotify)
        << "every Registry native is exported under its decorated name";
    ASSERT_TRUE(createKey(env, nullptr, kCurrentUser, text(base), 0));
  }

  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
    NativeTest::TearDown();
  }

  jstring path(const std::wstring& below) { return text(below.empty() ? base : base + L"\\" + below); }

  std::optional<RawValue> raw(const wchar_t* valueName, const std::wstring& below = L"") {
    std::wstring key = below.empty() ? base : base + L"\\" + below;
    RawValue value;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr,
                     &size) != ERROR_SUCCESS)
      return std::nullopt;
    value.data.resize(size);
    RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName, RRF_RT_ANY | RRF_NOEXPAND, nullptr, value.data.data(),
                 &size);
    value.data.resize(size);
    return value;
  }
  void store(const wchar_t* valueName, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, base.c_str(), valueName, type, data, size));
  }
  bool exists(const std::wstring& below) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (base + L"\\" + below).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
      return false;
    RegCloseKey(opened);
    return true;
  }

  const std::wstring base = L"Software\\lnx-natives-" + std::to_wstring(GetCurrentProcessId());

  NativeMethod<KeyNative> keyExists = registryNative<KeyNative>("keyExists0");
  NativeMethod<KeyNative> createKey = registryNative<KeyNative>("createKey0");
  NativeMethod<GetValueNative> getValue = registryNative<GetValueNative>("getValue0");
  NativeMethod<SetValueNative> setValue = registryNative<SetValueNative>("setValue0");
  NativeMethod<DeleteValueNative> deleteValue = registryNative<DeleteValueNative>("deleteValue0");
  NativeMethod<DeleteKeyNative> deleteKey = registryNative<DeleteKeyNative>("deleteKey0");
  NativeMethod<FileNative> saveKey = registryNative<FileNative>("saveKey0");
  NativeMethod<FileNative> restoreKey = registryNative<FileNative>("restoreKey0");
  NativeMethod<EnumNative> enumSubKeys = registryNative<EnumNative>("enumSubKeys0");
  NativeMethod<EnumNative> enumValues = registryNative<EnumNative>("enumValues0");
  NativeMethod<NotifyNative> changeNotify = registryNative<NotifyNative>("changeNotifyAssociations0");
};

TEST_F(RegistryNatives, RootCodesOutsideOneToFiveOpenNothing) {
  for (jint root : {0, 6, -1}) {
    EXPECT_FALSE(keyExists(env, nullptr, root, text(L"Software"), 0)) << root;
    EXPECT_FALSE(createKey(env, nullptr, root, path(L"never"), 0)) << root;
    EXPECT_EQ(nullptr, getValue(env, nullptr, root, text(L"Software"), nullptr, 0)) << root;
    EXPECT_EQ(nullptr, enumSubKeys(env, nullptr, root, text(L"Software"), 0)) << root;
    EXPECT_FALSE(setValue(env, nullptr, root, path(L""), text(L"v"), text(L"x"), 1, 0)) << root;
  }
  EXPECT_FALSE(raw(L"v"));
  EXPECT_TRUE(keyExists(env, nullptr, 3, text(L"Software"), 0)) << "3 is HKEY_LOCAL_MACHINE";
  EXPECT_TRUE(keyExists(env, nullptr, kCurrentUser, nullptr, 0)) << "no path opens the root itself";
}

TEST_F(RegistryNatives, KeysAreCreatedFoundAndListed) {
  EXPECT_FALSE(keyExists(env, nullptr, kCurrentUser, path(L"a"), 0));
  ASSERT_TRUE(createKey(env, nullptr, kCurrentUser, path(L"a\\deep\\er"), 0)) << "missing parents are created";
  EXPECT_TRUE(createKey(env, nullptr, kCurrentUser, path(L"a"), 0)) << "an existing key opens";
  EXPECT_TRUE(keyExists(env, nullptr, kCurrentUser, path(L"A\\DEEP"), 0x0200)) << "any case, a view flag";
  ASSERT_TRUE(createKey(env, nullptr, kCurrentUser, path(L"b"), 0x0100));
  std::string listed = shown(enumSubKeys(env, nullptr, kCurrentUser, path(L""), 0));
  EXPECT_TRUE(listed == R"(["a", "b"])" || listed == R"(["b", "a"])") << listed;
  EXPECT_EQ("[]", shown(enumSubKeys(env, nullptr, kCurrentUser, path(L"b"), 0)));
  EXPECT_EQ("null", shown(enumSubKeys(env, nullptr, kCurrentUser, path(L"missing"), 0)));

  store(L"first", REG_SZ, L"", 2);
  store(L"", REG_SZ, L"", 2);
  store(L"\u00e9t\u00e9", REG_DWORD, "\1\0\0\0", 4);
  std::string values = shown(enumValues(env, nullptr, kCurrentUser, path(L""), 0));
  for (const char* name : {R"("first")", R"("")", R"("\u00e9t\u00e9")"})
    EXPECT_NE(std::string::npos, values.find(name)) << values;
  EXPECT_EQ("null", shown(enumValues(env, nullptr, kCurrentUser, path(L"missing"), 0)));
}

TEST_F(RegistryNatives, StringsReadWithoutTheirTerminatorAndExpandStringsWrapped) {
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L"new\\key"), text(L"Home"), text(L"C:\\jre"), 1, 0))
      << "writing creates the key";
  std::optional<RawValue> written = raw(L"Home", L"new\\key");
  ASSERT_TRUE(written);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), written->type);
  EXPECT_EQ(14u, written->data.size()) << "six units and the terminator";
  EXPECT_EQ(R"("C:\\jre")", shown(getValue(env, nullptr, kCurrentUser, path(L"new\\key"), text(L"Home"), 0)));

  // A character after the counted data keeps the system from adding the terminator.
  store(L"Bare", REG_SZ, L"1.8X", 6);
  ASSERT_EQ(6u, raw(L"Bare")->data.size());
  EXPECT_EQ(R"("1.8")", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"Bare"), 0)));

  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Path"), text(L"%TEMP%\\x"), 5, 0));
  EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), raw(L"Path")->type);
  EXPECT_EQ(R"({"class": "com/lanternix/api/windows/WinRegistry$ExpandString", "arguments": ["%TEMP%\\x"]})",
            shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"Path"), 0)));

  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), nullptr, text(L"default"), 1, 0));
  EXPECT_EQ(R"("default")", shown(getValue(env, nullptr, kCurrentUser, path(L""), nullptr, 0)));
  EXPECT_EQ("null", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"missing"), 0)));
}

TEST_F(RegistryNatives, LongTextIsCutAt49999Units) {
  jstring longText = jvm.newString(std::u16string(60000, u'w'));
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Long"), longText, 1, 0));
  EXPECT_EQ(100000u, raw(L"Long")->data.size());
  jobject read = getValue(env, nullptr, kCurrentUser, path(L""), text(L"Long"), 0);
  EXPECT_EQ(std::u16string(49999, u'w'), jvm.stringText(read));
  // Data that does not fit the read buffer reads as no value.
  std::vector<uint8_t> tooLarge(100002, 'b');
  store(L"Huge", REG_BINARY, tooLarge.data(), static_cast<DWORD>(tooLarge.size()));
  EXPECT_EQ(nullptr, getValue(env, nullptr, kCurrentUser, path(L""), text(L"Huge"), 0));
}

TEST_F(RegistryNatives, NumbersAreIntegersAndOtherTypesNull) {
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Count"), jvm.newInteger(-1), 2, 0));
  std::optional<RawValue> written = raw(L"Count");
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), written->type);
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}), written->data);
  EXPECT_EQ(R"({"class": "java/lang/Integer", "arguments": [-1]})",
            shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"Count"), 0)));
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Count"), jvm.newInteger(0x12345678), 2, 0));
  EXPECT_EQ((std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}), raw(L"Count")->data);

  const uint64_t large = 5;
  store(L"Quad", REG_QWORD, &large, sizeof large);
  store(L"Nothing", REG_NONE, "x", 1);
  store(L"Big", REG_DWORD_BIG_ENDIAN, "\0\0\0\1", 4);
  for (const wchar_t* name : {L"Quad", L"Nothing", L"Big"})
    EXPECT_EQ(nullptr, getValue(env, nullptr, kCurrentUser, path(L""), text(name), 0));
}

TEST_F(RegistryNatives, MultiStringsKeepInnerEmptyTextsButRefuseToWriteThem) {
  store(L"Stored", REG_MULTI_SZ, L"a\0\0b\0", 12);
  EXPECT_EQ(R"(["a", "", "b"])", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"Stored"), 0)));
  store(L"Single", REG_MULTI_SZ, L"", 2);
  EXPECT_EQ("[]", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"Single"), 0)));

  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"List"), jvm.newStringArray({u"one", u"two"}), 3, 0));
  std::optional<RawValue> written = raw(L"List");
  EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), written->type);
  EXPECT_EQ(18u, written->data.size()) << "one, NUL, two, NUL, NUL";
  EXPECT_EQ(R"(["one", "two"])", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"List"), 0)));

  EXPECT_FALSE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Gap"), jvm.newStringArray({u"a", u"", u"c"}), 3, 0));
  EXPECT_FALSE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Gap"), jvm.newStringArray({u"a", std::nullopt}), 3, 0));
  EXPECT_FALSE(raw(L"Gap")) << "nothing written";

  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Empty"), jvm.newStringArray({}), 3, 0));
  EXPECT_EQ(2u, raw(L"Empty")->data.size());
}

TEST_F(RegistryNatives, BinaryDataRoundTrips) {
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"Bytes"), jvm.newByteArray({0, 1, -1, 127}), 4, 0));
  EXPECT_EQ((std::vector<uint8_t>{0, 1, 0xFF, 0x7F}), raw(L"Bytes")->data);
  EXPECT_EQ("[0, 1, -1, 127]", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"Bytes"), 0)));
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"None"), jvm.newByteArray({}), 4, 0));
  EXPECT_EQ("[]", shown(getValue(env, nullptr, kCurrentUser, path(L""), text(L"None"), 0)));
}

TEST_F(RegistryNatives, UnknownTypesAndNullObjectsWriteNothing) {
  for (jint type : {0, 6, 7})
    EXPECT_FALSE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"v"), text(L"x"), type, 0)) << type;
  for (jint type = 1; type <= 5; ++type)
    EXPECT_FALSE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"v"), nullptr, type, 0)) << type;
  EXPECT_FALSE(raw(L"v"));
}

TEST_F(RegistryNatives, AnObjectOfTheWrongClassWritesNothing) {
  jobject number = jvm.newInteger(7);
  jobject bytes = jvm.newByteArray({1, 2});
  jobject texts = jvm.newStringArray({u"a"});
  jobject string = text(L"x");
  const std::pair<jint, jobject> wrong[] = {{1, number}, {5, bytes}, {2, string}, {3, bytes}, {4, texts}, {3, string}};
  for (const auto& [type, value] : wrong)
    EXPECT_FALSE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"v"), value, type, 0)) << type;
  EXPECT_FALSE(raw(L"v"));
  EXPECT_TRUE(setValue(env, nullptr, kCurrentUser, path(L""), text(L"v"), number, 2, 0)) << "the right class still works";
}

TEST_F(RegistryNatives, DeletedValuesAreGone) {
  store(L"Gone", REG_SZ, L"x", 4);
  store(L"", REG_SZ, L"d", 4);
  deleteValue(env, nullptr, kCurrentUser, path(L""), text(L"Gone"), 0);
  deleteValue(env, nullptr, kCurrentUser, path(L""), nullptr, 0);
  deleteValue(env, nullptr, kCurrentUser, path(L"missing"), text(L"Gone"), 0);
  EXPECT_FALSE(raw(L"Gone"));
  EXPECT_FALSE(raw(L""));
}

TEST_F(RegistryNatives, KeyDeletionRemovesTheWholeTreeUnlessOnlyEmptyKeysMayGo) {
  for (const wchar_t* key : {L"tree\\a\\b\\c", L"tree\\a\\d", L"tree\\e", L"full", L"empty"})
    ASSERT_TRUE(createKey(env, nullptr, kCurrentUser, path(key), 0));
  store(L"v", REG_SZ, L"x", 4);
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, (base + L"\\full").c_str(), L"v", REG_SZ, L"x", 4));

  deleteKey(env, nullptr, kCurrentUser, path(L"full"), true, 0);
  EXPECT_TRUE(exists(L"full")) << "a key with a value stays";
  deleteKey(env, nullptr, kCurrentUser, path(L"tree"), true, 0);
  EXPECT_TRUE(exists(L"tree\\a\\b\\c")) << "a key with subkeys stays";
  deleteKey(env, nullptr, kCurrentUser, path(L"empty"), true, 0);
  EXPECT_FALSE(exists(L"empty"));

  deleteKey(env, nullptr, kCurrentUser, path(L"tree"), false, 0);
  EXPECT_FALSE(exists(L"tree"));
  deleteKey(env, nullptr, kCurrentUser, path(L"full"), false, 0x0100);
  EXPECT_FALSE(exists(L"full")) << "deleted with the view flags";
  deleteKey(env, nullptr, kCurrentUser, path(L"missing"), false, 0);
  EXPECT_TRUE(raw(L"v")) << "the parent and its values stay";
}

TEST_F(RegistryNatives, KeyDeletionNeverEmptiesARootKey) {
  ASSERT_TRUE(createKey(env, nullptr, kCurrentConfig, text(L"lnx-natives-root"), 0));
  deleteKey(env, nullptr, kCurrentConfig, nullptr, false, 0);
  deleteKey(env, nullptr, kCurrentConfig, text(L""), false, 0);
  EXPECT_TRUE(keyExists(env, nullptr, kCurrentConfig, text(L"lnx-natives-root"), 0));
  deleteKey(env, nullptr, kCurrentConfig, text(L"lnx-natives-root"), false, 0);
  EXPECT_FALSE(keyExists(env, nullptr, kCurrentConfig, text(L"lnx-natives-root"), 0));
}

TEST_F(RegistryNatives, KeysAreSavedToHiveFilesAndRestored) {
  wchar_t directory[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, directory));
  std::wstring hive = std::wstring(directory) + L"lnx-hive-" + std::to_wstring(GetCurrentProcessId());
  DeleteFileW(hive.c_str());
  ASSERT_TRUE(createKey(env, nullptr, kCurrentUser, path(L"saved\\child"), 0));
  ASSERT_TRUE(setValue(env, nullptr, kCurrentUser, path(L"saved"), text(L"Name"), text(L"kept"), 1, 0));

  ASSERT_TRUE(saveKey(env, nullptr, kCurrentUser, path(L"saved"), text(hive), 0));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(hive.c_str()));
  EXPECT_FALSE(saveKey(env, nullptr, kCurrentUser, path(L"missing"), text(hive + L"2"), 0));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((hive + L"2").c_str()));
  // Wine accepts a restore without loading the hive, so only the call's success and the
  // created target key can be seen here.
  EXPECT_TRUE(restoreKey(env, nullptr, kCurrentUser, path(L"restored"), text(hive), 0));
  EXPECT_TRUE(exists(L"restored"));
  EXPECT_FALSE(restoreKey(env, nullptr, 0, path(L"restored"), text(hive), 0));
  DeleteFileW(hive.c_str());
}

// A window that asked the shell for association changes hears of the one the native sends
// (sent to its procedure, or posted: the loop below serves both).
constexpr UINT kShellChanged = WM_APP + 7;
LONG heardShellEvent = 0;

LRESULT CALLBACK shellChangeListener(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kShellChanged) return DefWindowProcW(window, message, wParam, lParam);
  PIDLIST_ABSOLUTE* items = nullptr;
  LONG event = 0;
  if (HANDLE lock = SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &items,
                                              &event)) {
    heardShellEvent |= event;
    SHChangeNotification_Unlock(lock);
  }
  return 0;
}

TEST_F(RegistryNatives, AssociationChangeReachesTheShell) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = shellChangeListener;
  windowClass.lpszClassName = L"lnxShellChangeListener";
  RegisterClassW(&windowClass);
  HWND listener = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
  ASSERT_NE(nullptr, listener);
  SHChangeNotifyEntry everything{nullptr, TRUE};
  ULONG registration = SHChangeNotifyRegister(listener, SHCNRF_ShellLevel | SHCNRF_NewDelivery, SHCNE_ASSOCCHANGED,
                                              kShellChanged, 1, &everything);
  ASSERT_NE(0u, registration);

  heardShellEvent = 0;
  changeNotify(env, nullptr);
  for (int wait = 0; wait < 100 && !heardShellEvent; ++wait) {
    MSG message;
    while (PeekMessageW(&message, listener, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    if (!heardShellEvent) Sleep(10);
  }
  SHChangeNotifyDeregister(registration);
  DestroyWindow(listener);
  EXPECT_EQ(SHCNE_ASSOCCHANGED, heardShellEvent);
}

TEST(NativeHelpers, JavaStringsBecomeWideTextsWithTheirNuls) {
  jnifake::JniReport report;
  jnifake::FakeJvm jvm({{}, ""}, report);
  EXPECT_FALSE(javaStringToWide(jvm.env(), nullptr));
  EXPECT_EQ(std::wstring(L"a\0b", 3), javaStringToWide(jvm.env(), jvm.newString(std::u16string(u"a\0b", 3))));
  EXPECT_EQ(L"\u4e2d\U0001f600", javaStringToWide(jvm.env(), jvm.newString(u"\u4e2d\U0001f600")));
  EXPECT_EQ(0u, jvm.unreleasedTexts());
}

TEST(NativeHelpers, PrivilegesTheTokenHoldsCanBeEnabled) {
  EXPECT_TRUE(enablePrivilege(L"SeBackupPrivilege", true));
  EXPECT_TRUE(enablePrivilege(L"SeBackupPrivilege", false));
  EXPECT_TRUE(enablePrivilege(L"SeBackupPrivilege", true));
  EXPECT_FALSE(enablePrivilege(L"SeNoSuchPrivilege", true)) << "an unknown name";
}

} // namespace
} // namespace lnx
