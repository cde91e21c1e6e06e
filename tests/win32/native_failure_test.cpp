// Natives when memory runs out: the fake VM refusing every JNI allocation (an exhausted
// Java heap), or the C++ heap throwing std::bad_alloc. Either way a native returns its
// failure result with no exception pending (NativeTest checks that), lets nothing unwind
// into the VM, and never hands Win32 a missing text in place of one it could not read.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace {

thread_local bool cppHeapFails = false;

} // namespace

// The fake VM's own allocations go through: only the natives' heap runs out. The library's
// operator delete frees with std::free, as this allocates with std::malloc.
void* operator new(std::size_t size) {
  if (cppHeapFails && !jnifake::insideFakeVm()) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

namespace lnx {
namespace {

constexpr char kPlatform[] = "com/lanternix/runtime/installer/platform/win32/";
constexpr jint kCurrentUser = 2;
constexpr wchar_t kTestKey[] = L"Software\\lnx-native-failure";

using TextNative = jstring(JNICALL*)(JNIEnv*, jclass);
using TextsNative = jobjectArray(JNICALL*)(JNIEnv*, jclass);
using TitleNative = jstring(JNICALL*)(JNIEnv*, jclass, jint);
using DiskSpaceNative = jlong(JNICALL*)(JNIEnv*, jclass, jstring);
using CompareNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring);
using GetValueNative = jobject(JNICALL*)(JNIEnv*, jclass, jint, jstring, jstring, jint);
using DeleteValueNative = void(JNICALL*)(JNIEnv*, jclass, jint, jstring, jstring, jint);
using EnumNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jint, jstring, jint);
using WindowsNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jclass, jint);

template <typename Function> NativeMethod<Function> native(const char* className, const char* method) {
  return nativeFunction<Function>(std::string(kPlatform) + className, method);
}

struct CppHeapFailure {
  CppHeapFailure() { cppHeapFails = true; }
  ~CppHeapFailure() { cppHeapFails = false; }
};

class NativeFailure : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, L"kept", REG_SZ, L"x", 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\sub").c_str(), nullptr,
                                             REG_SZ, L"x", 4));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    NativeTest::TearDown();
  }

  NativeMethod<TextNative> windowsDirectory = native<TextNative>("FolderInfo", "getWindowsDirectory0");
  NativeMethod<TextsNative> environmentPairs = native<TextsNative>("Misc", "getEnvVarPairs0");
  NativeMethod<TitleNative> windowTitle = native<TitleNative>("Misc", "getWindowTitle0");
  NativeMethod<DiskSpaceNative> freeDiskSpace = native<DiskSpaceNative>("Misc", "getFreeDiskSpace0");
  NativeMethod<WindowsNative> topLevelWindows = native<WindowsNative>("Misc", "getTopLevelWindows0");
  NativeMethod<CompareNative> compareVersions = native<CompareNative>("FileVersion", "compare0");
  NativeMethod<TextsNative> listHandles = native<TextsNative>("Win32Handle", "list0");
  NativeMethod<GetValueNative> getValue = native<GetValueNative>("Registry", "getValue0");
  NativeMethod<DeleteValueNative> deleteValue = native<DeleteValueNative>("Registry", "deleteValue0");
  NativeMethod<EnumNative> enumSubKeys = native<EnumNative>("Registry", "enumSubKeys0");
  NativeMethod<EnumNative> enumValues = native<EnumNative>("Registry", "enumValues0");
};

TEST_F(NativeFailure, AnExhaustedJavaHeapGivesEachNativesFailureResult) {
  jstring key = text(kTestKey);
  jstring valueName = text(L"kept");
  jstring drive = text(L"C:\\");
  jstring file = text(L"C:\\windows\\system32\\kernel32.dll");
  jvm.failAllocations(true);
  EXPECT_EQ(nullptr, windowsDirectory(env, nullptr));
  EXPECT_EQ(nullptr, environmentPairs(env, nullptr));
  EXPECT_EQ(nullptr, windowTitle(env, nullptr, static_cast<jint>(GetCurrentProcessId())));
  EXPECT_EQ(nullptr, listHandles(env, nullptr));
  EXPECT_EQ(nullptr, getValue(env, nullptr, kCurrentUser, key, valueName, 0));
  EXPECT_EQ(nullptr, enumSubKeys(env, nullptr, kCurrentUser, key, 0));
  // A path the VM did not hand out is no path: not the current drive's free space.
  EXPECT_EQ(-1, freeDiskSpace(env, nullptr, drive));
  EXPECT_EQ(3, compareVersions(env, nullptr, file, file));
  jvm.failAllocations(false);
}

TEST_F(NativeFailure, AnUnreadableNameDeletesNothing) {
  // Read as no key path and no value name, the call would delete the default value of
  // HKEY_CURRENT_USER itself.
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(HKEY_CURRENT_USER, nullptr, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(L"keep me"), 16));
  jstring key = text(kTestKey);
  jstring valueName = text(L"kept");
  jvm.failAllocations(true);
  deleteValue(env, nullptr, kCurrentUser, key, valueName, 0);
  jvm.failAllocations(false);
  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"kept", RRF_RT_REG_SZ, nullptr, nullptr, &size));
  RegDeleteValueW(HKEY_CURRENT_USER, nullptr);
}

TEST_F(NativeFailure, AnExhaustedCppHeapNeverUnwindsIntoTheVm) {
  jstring key = text(kTestKey);
  jstring valueName = text(L"kept");
  jclass infoClass = env->FindClass("com/lanternix/api/windows/WindowInfo");
  ASSERT_NE(nullptr, infoClass);
  CppHeapFailure failing;
  // The window walk runs out inside the system's enumeration callback.
  EXPECT_EQ(nullptr, topLevelWindows(env, nullptr, infoClass, static_cast<jint>(GetCurrentProcessId())));
  EXPECT_EQ(nullptr, environmentPairs(env, nullptr));
  EXPECT_EQ(nullptr, enumValues(env, nullptr, kCurrentUser, key, 0));
  EXPECT_EQ(nullptr, getValue(env, nullptr, kCurrentUser, key, valueName, 0));
}

} // namespace
} // namespace lnx
