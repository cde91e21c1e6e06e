// The system natives of the Java class Misc: the environment, the physical memory, the
// free space of a volume, file moves at the next restart, and the restart itself.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "cleanup/reboot.h"
#include "natives/environment_block.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

using GlobalMemoryStatusExFunction = BOOL(WINAPI*)(MEMORYSTATUSEX* status);
using MoveFileExWFunction = BOOL(WINAPI*)(const wchar_t* source, const wchar_t* target, DWORD flags);

constexpr DWORD kMemoryStatusBytes = 64;
static_assert(sizeof(MEMORYSTATUSEX) == kMemoryStatusBytes, "the record the system fills");

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_reboot0(JNIEnv*, jclass) try {
  lnx::rebootNow();
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_reboot0, 8);

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getEnvVarPairs0(JNIEnv* env, jclass) try {
  std::unique_ptr<wchar_t, decltype(&FreeEnvironmentStringsW)> block(GetEnvironmentStringsW(), FreeEnvironmentStringsW);
  std::vector<std::optional<std::wstring>> entries;
  for (const std::u16string& entry : lnx::environmentEntries(reinterpret_cast<const char16_t*>(block.get())))
    entries.emplace_back(std::wstring(entry.begin(), entry.end()));
  return lnx::newJavaStringArray(env, entries);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getEnvVarPairs0, 8);

jlong JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getPhysicalMemory0(JNIEnv*, jclass) try {
  auto memoryStatusEx = lnx::systemFunction<lnx::GlobalMemoryStatusExFunction>(L"kernel32.dll", "GlobalMemoryStatusEx");
  if (memoryStatusEx) {
    MEMORYSTATUSEX status{};
    status.dwLength = lnx::kMemoryStatusBytes;
    if (memoryStatusEx(&status)) return static_cast<jlong>(status.ullTotalPhys);
    std::printf("error %d\n", static_cast<int>(GetLastError()));
    std::fflush(stdout);
  }
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return static_cast<jlong>(status.dwTotalPhys);
} LNX_NATIVE_FAILS_WITH(0)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getPhysicalMemory0, 8);

jlong JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getFreeDiskSpace0(JNIEnv* env, jclass,
                                                                                         jstring path) try {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(lnx::wideOrNull(lnx::javaStringToWide(env, path)), &available, nullptr, nullptr)) return -1;
  return static_cast<jlong>(available.QuadPart);
} LNX_NATIVE_FAILS_WITH(-1)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getFreeDiskSpace0, 12);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_moveWithDelayUntilReboot0(
    JNIEnv* env, jclass, jstring sourcePath, jstring targetPath) try {
  static const auto moveFileEx = lnx::systemFunction<lnx::MoveFileExWFunction>(L"kernel32.dll", "MoveFileExW");
  if (!moveFileEx || !sourcePath) return false;
  // No target deletes the source at the restart.
  return moveFileEx(lnx::wideOrNull(lnx::javaStringToWide(env, sourcePath)),
                    lnx::wideOrNull(lnx::javaStringToWide(env, targetPath)), MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_moveWithDelayUntilReboot0, 16);

} // extern "C"
