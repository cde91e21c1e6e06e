// The FileVersion native against real version resources: system DLLs of the prefix, and
// copies of one whose resources are replaced by a single version resource of a chosen
// version. Called through the export table with the fake VM as JNIEnv.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace lnx {
namespace {

using CompareNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring);

constexpr jint kEqual = 0;
constexpr jint kFirstHigher = 1;
constexpr jint kSecondHigher = 2;
constexpr jint kUnreadable = 3;

// VS_VERSIONINFO with the fixed file information and no children.
struct VersionResource {
  WORD length = sizeof(VersionResource);
  WORD valueLength = sizeof(VS_FIXEDFILEINFO);
  WORD type = 0; // binary
  wchar_t key[16] = L"VS_VERSION_INFO";
  WORD padding = 0; // the value starts on a 32-bit boundary
  VS_FIXEDFILEINFO value{};
};

std::wstring systemFile(const wchar_t* name) {
  wchar_t directory[MAX_PATH];
  GetSystemDirectoryW(directory, MAX_PATH);
  return std::wstring(directory) + L"\\" + name;
}

class FileVersionNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(compare) << "compare0 is exported under its decorated name";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    directory = std::wstring(temp) + L"lnx-file-version-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
  }

  void TearDown() override {
    for (const std::wstring& file : files)
      DeleteFileW(file.c_str());
    RemoveDirectoryW(directory.c_str());
    NativeTest::TearDown();
  }

  std::wstring copyOf(const std::wstring& source, const std::wstring& name) {
    std::wstring copy = directory + L"\\" + name;
    EXPECT_TRUE(CopyFileW(source.c_str(), copy.c_str(), FALSE));
    files.push_back(copy);
    return copy;
  }

  // A copy of kernel32.dll whose only resource is the given version resource.
  std::wstring fileWithResource(const std::wstring& name, const VersionResource& resource) {
    std::wstring file = copyOf(systemFile(L"kernel32.dll"), name);
    HANDLE update = BeginUpdateResourceW(file.c_str(), TRUE);
    EXPECT_TRUE(update);
    EXPECT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<VersionResource*>(&resource),
                                sizeof(resource)));
    EXPECT_TRUE(EndUpdateResourceW(update, FALSE));
    return file;
  }

  std::wstring fileWithVersion(WORD major, WORD minor, WORD build, WORD revision) {
    VersionResource resource;
    resource.value.dwSignature = VS_FFI_SIGNATURE;
    resource.value.dwStrucVersion = VS_FFI_STRUCVERSION;
    resource.value.dwFileVersionMS = MAKELONG(minor, major);
    resource.value.dwFileVersionLS = MAKELONG(revision, build);
    std::wstring name = L"v" + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build) +
                        L"." + std::to_wstring(revision) + L".dll";
    return fileWithResource(name, resource);
  }

  jint compareFiles(const std::wstring& first, const std::wstring& second) {
    return compare(env, nullptr, text(first), text(second));
  }

  std::wstring directory;
  std::vector<std::wstring> files;
  NativeMethod<CompareNative> compare =
      nativeFunction<CompareNative>("com/lanternix/runtime/installer/platform/win32/FileVersion", "compare0");
};

TEST_F(FileVersionNatives, CopiesOfOneFileHaveEqualVersions) {
  std::wstring kernel = systemFile(L"kernel32.dll");
  EXPECT_EQ(kEqual, compareFiles(kernel, copyOf(kernel, L"kernel-copy.dll")));
  std::wstring versioned = fileWithVersion(2, 5, 0, 1);
  EXPECT_EQ(kEqual, compareFiles(versioned, copyOf(versioned, L"same-version.dll")));
}

TEST_F(FileVersionNatives, VersionsCompareMostSignificantHalfFirst) {
  std::wstring v1_2 = fileWithVersion(1, 2, 0, 0);
  std::wstring v1_10 = fileWithVersion(1, 10, 0, 0);
  EXPECT_EQ(kSecondHigher, compareFiles(v1_2, v1_10)) << "1.2 is below 1.10";
  EXPECT_EQ(kFirstHigher, compareFiles(v1_10, v1_2));
  EXPECT_EQ(kSecondHigher, compareFiles(fileWithVersion(1, 2, 9, 9), v1_10)) << "the build is compared last";
  EXPECT_EQ(kFirstHigher, compareFiles(fileWithVersion(1, 2, 3, 5), fileWithVersion(1, 2, 3, 4)))
      << "the revision counts";
}

TEST_F(FileVersionNatives, MissingVersionOfEitherFileGivesUnreadable) {
  std::wstring kernel = systemFile(L"kernel32.dll");
  std::wstring plain = directory + L"\\plain.txt";
  files.push_back(plain);
  HANDLE file = CreateFileW(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "no version here", 15, &written, nullptr);
  CloseHandle(file);

  EXPECT_EQ(kUnreadable, compareFiles(plain, kernel));
  EXPECT_EQ(kUnreadable, compareFiles(kernel, plain));
  EXPECT_EQ(kUnreadable, compareFiles(kernel, directory + L"\\missing.dll"));
  EXPECT_EQ(kUnreadable, compareFiles(L"", kernel));
  EXPECT_EQ(kUnreadable, compare(env, nullptr, nullptr, text(kernel)));
  EXPECT_EQ(kUnreadable, compare(env, nullptr, text(kernel), nullptr));
}

TEST_F(FileVersionNatives, FixedFileInformationCutShortIsUnreadable) {
  VersionResource resource;
  resource.valueLength = 12; // up to the most significant half only
  resource.value.dwSignature = VS_FFI_SIGNATURE;
  resource.value.dwFileVersionMS = MAKELONG(0, 1);
  resource.value.dwFileVersionLS = 0;
  std::wstring cutShort = fileWithResource(L"cut-short.dll", resource);
  EXPECT_EQ(kUnreadable, compareFiles(cutShort, systemFile(L"kernel32.dll")));
}

} // namespace
} // namespace lnx
