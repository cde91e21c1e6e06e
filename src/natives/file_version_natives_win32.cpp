// The native of the Java class FileVersion, and the reading of a file's version resource
// that the folder natives use as well (to choose their shell-folder library). The
// functions of version.dll are loaded from the system directory only, once per process.
#include <windows.h>

#include <optional>
#include <vector>

#include "base/system_dlls.h"
#include "natives/file_version_rules.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/procedure.h"

namespace lnx {

namespace {

using GetFileVersionInfoSizeWFunction = DWORD(WINAPI*)(const wchar_t* path, DWORD* ignored);
using GetFileVersionInfoWFunction = BOOL(WINAPI*)(const wchar_t* path, DWORD ignored, DWORD size, void* data);
using VerQueryValueWFunction = BOOL(WINAPI*)(const void* data, const wchar_t* block, void** value, UINT* size);

struct VersionFunctions {
  GetFileVersionInfoSizeWFunction infoSize = nullptr;
  GetFileVersionInfoWFunction info = nullptr;
  VerQueryValueWFunction queryValue = nullptr;
};

VersionFunctions loadVersionFunctions() {
  HMODULE library = loadSystemLibrary(L"version.dll");
  if (!library) return {};
  return {procedureOf<GetFileVersionInfoSizeWFunction>(library, "GetFileVersionInfoSizeW"),
          procedureOf<GetFileVersionInfoWFunction>(library, "GetFileVersionInfoW"),
          procedureOf<VerQueryValueWFunction>(library, "VerQueryValueW")};
}

// The file version of the fixed file information of the file's version resource; nothing
// when the file has none or version.dll cannot serve.
std::optional<FileVersionNumber> readFileVersion(const wchar_t* path) {
  static const VersionFunctions version = loadVersionFunctions();
  if (!path || !version.infoSize || !version.info || !version.queryValue) return std::nullopt;
  DWORD ignored = 0;
  DWORD size = version.infoSize(path, &ignored);
  if (size == 0) return std::nullopt;
  std::vector<uint8_t> data(static_cast<size_t>(size) * 2);
  if (!version.info(path, 0, static_cast<DWORD>(data.size()), data.data())) return std::nullopt;
  void* value = nullptr;
  UINT valueSize = 0;
  if (!version.queryValue(data.data(), L"\\", &value, &valueSize) || !value || valueSize < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  const auto* fixedInfo = static_cast<const VS_FIXEDFILEINFO*>(value);
  return FileVersionNumber{fixedInfo->dwFileVersionMS, fixedInfo->dwFileVersionLS};
}

} // namespace

int compareFileVersions(const wchar_t* firstPath, const wchar_t* secondPath) {
  std::optional<FileVersionNumber> first = readFileVersion(firstPath);
  if (!first) return kVersionUnreadable;
  std::optional<FileVersionNumber> second = readFileVersion(secondPath);
  if (!second) return kVersionUnreadable;
  return compareVersionNumbers(*first, *second);
}

} // namespace lnx

// Exported only under its decorated name (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_FileVersion_compare0(JNIEnv* env, jclass,
                                                                                      jstring firstPath,
                                                                                      jstring secondPath) try {
  std::optional<std::wstring> first = lnx::javaStringToWide(env, firstPath);
  std::optional<std::wstring> second = lnx::javaStringToWide(env, secondPath);
  return lnx::compareFileVersions(lnx::wideOrNull(first), lnx::wideOrNull(second));
} LNX_NATIVE_FAILS_WITH(3)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_FileVersion_compare0, 16);

} // extern "C"
