// The process natives of the Java class Misc: the running processes with their image
// paths, the ending of processes by force or by closing their windows, and the process id
// behind a process handle.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "natives/java_handle.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "natives/running_processes.h"
#include "win32/privileges.h"
#include "win32/top_level_windows.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

// Results of terminateProcesses0.
constexpr jint kNotAllEnded = 0; // a process could not be ended, or had no window to close
constexpr jint kAllEnded = 1;
constexpr jint kWaitFailed = 2;
constexpr jint kTimedOut = 3;

std::vector<DWORD> processIdsOf(JNIEnv* env, jintArray array) {
  std::vector<jint> values(static_cast<size_t>(env->GetArrayLength(array)));
  env->GetIntArrayRegion(array, 0, static_cast<jsize>(values.size()), values.data());
  return std::vector<DWORD>(values.begin(), values.end());
}

jint terminateByForce(const std::vector<DWORD>& processIds) {
  jint result = kAllEnded;
  for (DWORD processId : processIds) {
    KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (!process.valid() || !TerminateProcess(process.get(), 0)) result = kNotAllEnded;
  }
  return result;
}

// Posts WM_CLOSE to every visible window of the processes; kNotAllEnded when a post fails
// or a process has no such window.
jint closeWindows(const std::vector<DWORD>& processIds) {
  jint result = kAllEnded;
  std::vector<DWORD> found;
  for (HWND window : topLevelWindows()) {
    DWORD processId = windowProcessId(window);
    if (!IsWindowVisible(window) || std::find(processIds.begin(), processIds.end(), processId) == processIds.end())
      continue;
    found.push_back(processId);
    if (!PostMessageW(window, WM_CLOSE, 0, 0)) result = kNotAllEnded;
  }
  for (DWORD processId : processIds)
    if (std::find(found.begin(), found.end(), processId) == found.end()) result = kNotAllEnded;
  return result;
}

jint waitForEnd(const std::vector<DWORD>& processIds, DWORD timeLimit) {
  std::vector<KernelHandle> owners;
  std::vector<HANDLE> processes;
  for (DWORD processId : processIds) {
    owners.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!owners.back().valid()) return kWaitFailed;
    processes.push_back(owners.back().get());
  }
  DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE, timeLimit);
  if (waited == WAIT_TIMEOUT) return kTimedOut;
  // When waiting for all, any index of the range tells that all have ended.
  return waited - WAIT_OBJECT_0 < processes.size() ? kAllEnded : kWaitFailed;
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getRunningModules0(
    JNIEnv* env, jclass, jboolean disableDebugPrivilege) try {
  lnx::enablePrivilege(L"SeDebugPrivilege", !disableDebugPrivilege);
  std::vector<std::wstring> texts = lnx::processTextsByImagePath();
  if (texts.empty()) texts = lnx::processTextsBySnapshot();
  if (texts.empty()) return nullptr;
  return lnx::newJavaStringArray(env, std::vector<std::optional<std::wstring>>(texts.begin(), texts.end()));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getRunningModules0, 12);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_terminateProcesses0(JNIEnv* env, jclass,
                                                                                          jintArray processIdArray,
                                                                                          jboolean force,
                                                                                          jint timeLimitMillis) try {
  if (!processIdArray) return lnx::kNotAllEnded;
  std::vector<DWORD> processIds = lnx::processIdsOf(env, processIdArray);
  if (force) return lnx::terminateByForce(processIds);
  jint result = lnx::closeWindows(processIds);
  // Nothing to wait for is no failed wait.
  if (result != lnx::kAllEnded || processIds.empty()) return result;
  return lnx::waitForEnd(processIds, static_cast<DWORD>(timeLimitMillis));
} LNX_NATIVE_FAILS_WITH(lnx::kNotAllEnded)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_terminateProcesses0, 20);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getPidFromHandle0(JNIEnv*, jclass,
                                                                                        jlong processHandle) try {
  auto process = lnx::handleFromJava<HANDLE>(processHandle);
  return static_cast<jint>(GetProcessId(process));
} LNX_NATIVE_FAILS_WITH(0)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getPidFromHandle0, 16);

} // extern "C"
