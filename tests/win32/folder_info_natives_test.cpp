// The FolderInfo natives against the Wine prefix's folders, registry, drives and short
// names, compared with what the system functions answer directly. Called through the
// export table with the fake VM as JNIEnv.
#include <windows.h>

// FOLDERID_ values defined here rather than taken from a library.
#include <initguid.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <climits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace lnx {
namespace {

constexpr char kFolderInfoClass[] = "com/lanternix/runtime/installer/platform/win32/FolderInfo";
constexpr wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

using SpecialFolderNative = jstring(JNICALL*)(JNIEnv*, jclass, jint, jboolean);
using NoArgumentNative = jstring(JNICALL*)(JNIEnv*, jclass);
using PathNative = jstring(JNICALL*)(JNIEnv*, jclass, jstring);
using DriveTypeNative = jint(JNICALL*)(JNIEnv*, jclass, jstring);

std::optional<std::wstring> shellFolder(int csidl) {
  wchar_t path[MAX_PATH];
  if (SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
    return std::nullopt;
  return path;
}

std::optional<std::wstring> knownFolder(const GUID& folder) {
  wchar_t* path = nullptr;
  HRESULT result = SHGetKnownFolderPath(folder, 0, nullptr, &path);
  std::optional<std::wstring> text;
  if (SUCCEEDED(result)) text = path;
  CoTaskMemFree(path);
  return text;
}

bool isDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class FolderInfoNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(specialFolder && pathFromRegistry && windowsDirectory && systemDirectory && driveType &&
                shortPathName && universalPathName)
        << "every FolderInfo native is exported under its decorated name";
  }


  std::optional<std::wstring> textOf(jstring string) {
    std::optional<std::u16string> characters = jvm.stringText(string);
    if (!characters) return std::nullopt;
    return std::wstring(characters->begin(), characters->end());
  }
  std::optional<std::wstring> folderOf(jint code, bool allUsers) {
    return textOf(specialFolder(env, nullptr, code, allUsers));
  }


  NativeMethod<SpecialFolderNative> specialFolder = nativeFunction<SpecialFolderNative>(kFolderInfoClass, "getSpecialFolder0");
  NativeMethod<PathNative> pathFromRegistry = nativeFunction<PathNative>(kFolderInfoClass, "getPathFromRegistry0");
  NativeMethod<NoArgumentNative> windowsDirectory = nativeFunction<NoArgumentNative>(kFolderInfoClass, "getWindowsDirectory0");
  NativeMethod<NoArgumentNative> systemDirectory = nativeFunction<NoArgumentNative>(kFolderInfoClass, "getSystemDirectory0");
  NativeMethod<DriveTypeNative> driveType = nativeFunction<DriveTypeNative>(kFolderInfoClass, "getDriveType0");
  NativeMethod<PathNative> shortPathName = nativeFunction<PathNative>(kFolderInfoClass, "getShortPathName0");
  NativeMethod<PathNative> universalPathName = nativeFunction<PathNative>(kFolderInfoClass, "getUniversalPathName0");
};

TEST_F(FolderInfoNatives, ShellFolderCodesGiveTheFoldersOfTheirCsidl) {
  struct Expected {
    jint code;
    int allUsers;
    int currentUser;
  };
  const Expected folders[] = {
      {1, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY},
      {2, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU},
      {3, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS},
      {4, CSIDL_COMMON_STARTUP, CSIDL_STARTUP},
      {5, CSIDL_SENDTO, CSIDL_SENDTO},
      {6, CSIDL_FONTS, CSIDL_FONTS},
      {7, CSIDL_COMMON_APPDATA, CSIDL_APPDATA},
      {8, CSIDL_COMMON_DOCUMENTS, CSIDL_PERSONAL},
      {9, CSIDL_COMMON_TEMPLATES, CSIDL_TEMPLATES},
      {10, CSIDL_COMMON_FAVORITES, CSIDL_FAVORITES},
      {11, CSIDL_LOCAL_APPDATA, CSIDL_LOCAL_APPDATA},
      {12, CSIDL_DESKTOP, CSIDL_DESKTOP},
      {1000, CSIDL_DESKTOP, CSIDL_DESKTOP},
  };
  for (const Expected& folder : folders) {
    for (bool allUsers : {true, false}) {
      std::optional<std::wstring> expected = shellFolder(allUsers ? folder.allUsers : folder.currentUser);
      ASSERT_TRUE(expected) << folder.code;
      std::optional<std::wstring> path = folderOf(folder.code, allUsers);
      EXPECT_EQ(expected, path) << folder.code << (allUsers ? " for all users" : " for the user");
      EXPECT_TRUE(path && isDirectory(*path)) << folder.code;
    }
  }
  EXPECT_NE(folderOf(7, true), folderOf(7, false)) << "common and roaming application data differ";
}

TEST_F(FolderInfoNatives, MissingShellFolderIsCreated) {
  // Favorites is a folder of the prefix itself; Templates, Desktop and others are links
  // into HOME, and removing a link removes its target.
  std::optional<std::wstring> favorites = shellFolder(CSIDL_FAVORITES);
  ASSERT_TRUE(favorites);
  ASSERT_FALSE(GetFileAttributesW(favorites->c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_TRUE(RemoveDirectoryW(favorites->c_str())) << "the prefix's Favorites folder is empty";
  EXPECT_EQ(favorites, folderOf(10, false));
  EXPECT_TRUE(isDirectory(*favorites));
}

TEST_F(FolderInfoNatives, CodesAboveOneThousandGiveKnownFolders) {
  wchar_t profile[MAX_PATH];
  ASSERT_NE(0u, GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH));
  std::optional<std::wstring> downloads = folderOf(1001, false);
  EXPECT_EQ(knownFolder(FOLDERID_Downloads), downloads);
  EXPECT_EQ(std::wstring(profile) + L"\\Downloads", downloads);
  EXPECT_EQ(downloads, folderOf(1001, true)) << "the all-users flag does not count";
  // Wine fails both per-user Program Files folders (null); Windows gives them.
  EXPECT_EQ(knownFolder(FOLDERID_UserProgramFiles), folderOf(1002, false));
  EXPECT_EQ(knownFolder(FOLDERID_UserProgramFilesCommon), folderOf(1003, true));
  for (jint code : {1004, 1500, INT_MAX})
    EXPECT_EQ(std::optional<std::wstring>(profile), folderOf(code, true)) << code;
}

class FolderInfoRegistryPath : public FolderInfoNatives {
protected:
  void TearDown() override {
    for (const std::wstring& name : storedNames)
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name.c_str());
    FolderInfoNatives::TearDown();
  }

  // Stores a value of the test's own under the CurrentVersion key and returns its name.
  std::wstring store(const std::wstring& suffix, DWORD type, const void* data, DWORD size) {
    std::wstring name = L"lnx-folder-info-" + std::to_wstring(GetCurrentProcessId()) + L"-" + suffix;
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name.c_str(), type, data, size));
    storedNames.push_back(name);
    return name;
  }
  std::optional<std::wstring> valueOf(const std::wstring& name) {
    return textOf(pathFromRegistry(env, nullptr, text(name)));
  }

  std::vector<std::wstring> storedNames;
};

TEST_F(FolderInfoRegistryPath, ValueTextEndsAtItsFirstNulOrItsData) {
  wchar_t programFiles[MAX_PATH];
  DWORD bytes = sizeof(programFiles);
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramFilesDir", RRF_RT_REG_SZ,
                                        nullptr, programFiles, &bytes));
  EXPECT_EQ(std::optional<std::wstring>(programFiles), valueOf(L"ProgramFilesDir"));

  const wchar_t unterminated[] = {L'C', L':', L'\\', L'x'};
  EXPECT_EQ(L"C:\\x", valueOf(store(L"unterminated", REG_SZ, unterminated, sizeof(unterminated))));
  const wchar_t list[] = L"first\0second\0";
  EXPECT_EQ(L"first", valueOf(store(L"list", REG_MULTI_SZ, list, sizeof(list))));

  // The largest value that fits, an odd number of bytes without any NUL.
  std::wstring filled(0x4000, L'p');
  std::optional<std::wstring> full = valueOf(store(L"full", REG_BINARY, filled.data(), 0x7FFF));
  EXPECT_EQ(std::wstring(0x3FFF, L'p'), full);
}

TEST_F(FolderInfoRegistryPath, MissingOrOversizedValueIsNull) {
  EXPECT_EQ(nullptr, pathFromRegistry(env, nullptr, text(L"lnx-no-such-value")));
  std::wstring large(0x4000, L'q');
  EXPECT_EQ(nullptr, pathFromRegistry(env, nullptr, text(store(L"large", REG_SZ, large.c_str(), 0x8000))));
}

TEST_F(FolderInfoNatives, WindowsAndSystemDirectories) {
  wchar_t expected[MAX_PATH];
  ASSERT_NE(0u, GetSystemWindowsDirectoryW(expected, MAX_PATH));
  EXPECT_EQ(std::optional<std::wstring>(expected), textOf(windowsDirectory(env, nullptr)));
  ASSERT_NE(0u, GetSystemDirectoryW(expected, MAX_PATH));
  EXPECT_EQ(std::optional<std::wstring>(expected), textOf(systemDirectory(env, nullptr)));
}

TEST_F(FolderInfoNatives, DriveTypesAreTheSystemsValues) {
  EXPECT_EQ(DRIVE_FIXED, driveType(env, nullptr, text(L"C:\\")));
  DWORD drives = GetLogicalDrives();
  wchar_t unused = L'Y';
  while (unused > L'D' && (drives & (1u << (unused - L'A'))))
    --unused;
  ASSERT_FALSE(drives & (1u << (unused - L'A'))) << "an unused drive letter";
  EXPECT_EQ(DRIVE_NO_ROOT_DIR, driveType(env, nullptr, text(std::wstring(1, unused) + L":\\")));
  EXPECT_EQ(static_cast<jint>(GetDriveTypeW(nullptr)), driveType(env, nullptr, nullptr))
      << "no root: the current directory's";
}

TEST_F(FolderInfoNatives, ShortPathNameOrTheArgumentItself) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring longPath = std::wstring(temp) + L"lnx folder with a long name " + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(longPath.c_str(), nullptr));
  wchar_t expected[MAX_PATH];
  DWORD expectedUnits = GetShortPathNameW(longPath.c_str(), expected, MAX_PATH);
  std::optional<std::wstring> shortPath = textOf(shortPathName(env, nullptr, text(longPath)));
  RemoveDirectoryW(longPath.c_str());
  ASSERT_NE(0u, expectedUnits);
  ASSERT_TRUE(shortPath);
  EXPECT_EQ(expected, *shortPath);
  EXPECT_EQ(std::wstring::npos, shortPath->find(L' ')) << *shortPath;

  jstring missing = text(longPath + L"\\not here");
  EXPECT_EQ(missing, shortPathName(env, nullptr, missing)) << "the very argument object";
  EXPECT_EQ(nullptr, shortPathName(env, nullptr, nullptr));
}

TEST_F(FolderInfoNatives, UniversalNameOfALocalPathIsAnErrorText) {
  // ERROR_NOT_CONNECTED: C: is no network drive.
  EXPECT_EQ(L";2250", textOf(universalPathName(env, nullptr, text(L"C:\\windows"))));
  EXPECT_EQ(L";87", textOf(universalPathName(env, nullptr, nullptr))) << "ERROR_INVALID_PARAMETER";
}

} // namespace
} // namespace lnx
