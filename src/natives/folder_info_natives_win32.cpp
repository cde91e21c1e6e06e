// The natives of the Java class FolderInfo: special and known folders, a path from the
// Windows "CurrentVersion" key, the Windows and system directories, drive types, and the
// short and universal forms of a path. They never throw: a failure is null, the argument
// itself or a ";<error>" text. Optional system functions are looked up once, on first use.
#include <windows.h>

#include <objbase.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "natives/file_version_rules.h"
#include "natives/folder_info_rules.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

using ShGetFolderPathWFunction = HRESULT(WINAPI*)(HWND owner, int csidl, HANDLE token, DWORD flags, wchar_t* path);
using ShGetKnownFolderPathFunction = HRESULT(WINAPI*)(const GUID& folder, DWORD flags, HANDLE token, wchar_t** path);
using GetSystemWindowsDirectoryWFunction = UINT(WINAPI*)(wchar_t* path, UINT units);
using WNetGetUniversalNameWFunction = DWORD(WINAPI*)(const wchar_t* localPath, DWORD level, void* buffer, DWORD* bytes);

// Path results: 32,767 units and the terminator.
constexpr DWORD kPathUnits = 0x7FFF;
constexpr DWORD kRegistryPathBytes = 0x7FFF;
constexpr DWORD kUniversalNameBytes = 0xFFFE;
constexpr int kCreateFolder = 0x8000;   // CSIDL_FLAG_CREATE
constexpr DWORD kCurrentFolderPath = 0; // SHGFP_TYPE_CURRENT

constexpr GUID kDownloadsFolder = {0x374DE290, 0x123F, 0x4565, {0x91, 0x64, 0x39, 0xC4, 0x92, 0x5E, 0x46, 0x7B}};
constexpr GUID kUserProgramFilesFolder = {0x5CD7AEE2, 0x2219, 0x4A67, {0xB8, 0x5D, 0x6C, 0x9C, 0xE1, 0x56, 0x60, 0xCB}};
constexpr GUID kUserProgramFilesCommonFolder = {
    0xBCBD3057, 0xCA5C, 0x4622, {0xB4, 0x2D, 0xBC, 0x56, 0xDB, 0x0A, 0xE5, 0x16}};
constexpr GUID kProfileFolder = {0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};

const GUID& knownFolderId(KnownFolder folder) {
  switch (folder) {
  case KnownFolder::downloads:
    return kDownloadsFolder;
  case KnownFolder::userProgramFiles:
    return kUserProgramFilesFolder;
  case KnownFolder::userProgramFilesCommon:
    return kUserProgramFilesCommonFolder;
  default:
    return kProfileFolder;
  }
}

// A function of a library loaded (and kept) for it; null when either is missing.
template <typename Function> Function libraryFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  return procedureOf<Function>(module, name);
}

// SHGetFolderPathW of the private copy "_shfoldr.dll" when it is newer than "shfolder.dll"
// or the two cannot be compared, else (or when the private copy does not serve) of
// "shfolder.dll".
ShGetFolderPathWFunction chooseFolderPathFunction() {
  LoadLibraryW(L"shell32.dll");
  if (prefersPrivateFolderLibrary(compareFileVersions(L"_shfoldr.dll", L"shfolder.dll")))
    if (auto privateCopy = libraryFunction<ShGetFolderPathWFunction>(L"_shfoldr.dll", "SHGetFolderPathW"))
      return privateCopy;
  return libraryFunction<ShGetFolderPathWFunction>(L"shfolder.dll", "SHGetFolderPathW");
}

jstring shellFolderPath(JNIEnv* env, int csidl) {
  static const ShGetFolderPathWFunction folderPath = chooseFolderPathFunction();
  if (!folderPath) return nullptr;
  std::vector<wchar_t> path(kPathUnits + 1);
  if (folderPath(nullptr, csidl | kCreateFolder, nullptr, kCurrentFolderPath, path.data()) != S_OK) return nullptr;
  return newJavaString(env, path.data());
}

jstring knownFolderPath(JNIEnv* env, KnownFolder folder) {
  static const auto knownFolderPathOf =
      libraryFunction<ShGetKnownFolderPathFunction>(L"shell32.dll", "SHGetKnownFolderPath");
  if (!knownFolderPathOf) return nullptr;
  wchar_t* path = nullptr;
  HRESULT result = knownFolderPathOf(knownFolderId(folder), 0, nullptr, &path);
  // Freed whatever the result: a failed call may have allocated it too.
  std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, CoTaskMemFree);
  return SUCCEEDED(result) && path ? newJavaString(env, path) : nullptr;
}

// The path a call of the GetWindowsDirectoryW kind writes into kPathUnits units; nothing
// when it fails or would need more room.
template <typename Call> std::optional<std::wstring> pathFrom(Call call) {
  std::vector<wchar_t> path(kPathUnits + 1);
  DWORD units = call(path.data(), kPathUnits);
  if (units == 0 || units >= kPathUnits) return std::nullopt;
  return std::wstring(path.data(), units);
}

jstring javaStringOrNull(JNIEnv* env, const std::optional<std::wstring>& text) {
  return text ? newJavaString(env, *text) : nullptr;
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getSpecialFolder0(JNIEnv* env, jclass,
                                                                                                 jint folderCode,
                                                                                                 jboolean allUsers) try {
  if (folderCode <= lnx::kLastShellFolderCode)
    return lnx::shellFolderPath(env, lnx::specialFolderCsidl(folderCode, allUsers));
  return lnx::knownFolderPath(env, lnx::knownFolderOf(folderCode));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getSpecialFolder0, 16);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getPathFromRegistry0(JNIEnv* env, jclass,
                                                                                                    jstring valueName) try {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return nullptr;
  lnx::RegistryKey key(opened);
  std::vector<wchar_t> data(lnx::kRegistryPathBytes / sizeof(wchar_t) + 1);
  DWORD bytes = lnx::kRegistryPathBytes;
  if (RegQueryValueExW(key.get(), lnx::wideOrNull(lnx::javaStringToWide(env, valueName)), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
    return nullptr;
  // Whatever the value's type: its units up to the first NUL, or all of them when it was
  // stored without one.
  std::wstring_view text(data.data(), bytes / sizeof(wchar_t));
  return lnx::newJavaString(env, text.substr(0, text.find(L'\0')));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getPathFromRegistry0, 12);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getWindowsDirectory0(JNIEnv* env,
                                                                                                    jclass) try {
  static const auto systemWindowsDirectory =
      lnx::systemFunction<lnx::GetSystemWindowsDirectoryWFunction>(L"Kernel32.DLL", "GetSystemWindowsDirectoryW");
  std::optional<std::wstring> directory;
  if (systemWindowsDirectory) directory = lnx::pathFrom(systemWindowsDirectory);
  if (!directory) directory = lnx::pathFrom(GetWindowsDirectoryW);
  return lnx::javaStringOrNull(env, directory);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getWindowsDirectory0, 8);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getSystemDirectory0(JNIEnv* env,
                                                                                                   jclass) try {
  return lnx::javaStringOrNull(env, lnx::pathFrom(GetSystemDirectoryW));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getSystemDirectory0, 8);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getDriveType0(JNIEnv* env, jclass,
                                                                                          jstring rootPath) try {
  return static_cast<jint>(GetDriveTypeW(lnx::wideOrNull(lnx::javaStringToWide(env, rootPath))));
} LNX_NATIVE_FAILS_WITH(DRIVE_UNKNOWN)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getDriveType0, 12);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getShortPathName0(JNIEnv* env, jclass,
                                                                                                 jstring path) try {
  std::optional<std::wstring> longPath = lnx::javaStringToWide(env, path);
  if (!longPath) return path;
  std::optional<std::wstring> shortPath = lnx::pathFrom(
      [&longPath](wchar_t* buffer, DWORD units) { return GetShortPathNameW(longPath->c_str(), buffer, units); });
  return shortPath ? lnx::newJavaString(env, *shortPath) : path;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getShortPathName0, 12);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getUniversalPathName0(JNIEnv* env,
                                                                                                     jclass,
                                                                                                     jstring path) try {
  static const auto universalNameOf =
      lnx::libraryFunction<lnx::WNetGetUniversalNameWFunction>(L"mpr.dll", "WNetGetUniversalNameW");
  if (!universalNameOf) return path;
  std::optional<std::wstring> localPath = lnx::javaStringToWide(env, path);
  // The record holds a pointer into the rest of the buffer, which is aligned for it.
  std::vector<uint8_t> record(lnx::kUniversalNameBytes);
  DWORD bytes = lnx::kUniversalNameBytes;
  DWORD result = localPath ? universalNameOf(localPath->c_str(), UNIVERSAL_NAME_INFO_LEVEL, record.data(), &bytes)
                           : ERROR_INVALID_PARAMETER;
  if (result != NO_ERROR) return lnx::newJavaString(env, L";" + std::to_wstring(static_cast<int>(result)));
  const wchar_t* universalName = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(record.data())->lpUniversalName;
  return universalName ? lnx::newJavaString(env, universalName) : path;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FolderInfo_getUniversalPathName0, 12);

} // extern "C"
