// The window natives of the Java class Misc: the titles and descriptions of a process's
// top-level windows, bringing windows to the foreground, and the broadcast that tells all
// top-level windows that the environment changed.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "natives/java_handle.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/top_level_windows.h"

namespace lnx {

namespace {

constexpr UINT kBroadcastTimeoutMillis = 5000;

HWND windowFromJava(jlong handle) { return handleFromJava<HWND>(handle); }

// Visible top-level windows of the process that no other window owns, in enumeration order.
std::vector<HWND> unownedVisibleWindows(DWORD processId) {
  std::vector<HWND> kept;
  for (HWND window : topLevelWindows())
    if (windowProcessId(window) == processId && !GetWindow(window, GW_OWNER) && IsWindowVisible(window))
      kept.push_back(window);
  return kept;
}

// A WindowInfo of the window, or null when the window has no title, class name or style.
jobject newWindowInfo(JNIEnv* env, jclass infoClass, jmethodID constructor, HWND window) {
  LONG style = GetWindowLongW(window, GWL_STYLE);
  std::wstring className = windowClassName(window);
  std::wstring title = windowTitle(window);
  if (title.empty() || className.empty() || style == 0) return nullptr;
  jstring classText = newJavaString(env, className);
  jstring titleText = newJavaString(env, title);
  jobject info = checked(env, env->NewObject(infoClass, constructor, javaHandleValue(window),
                                             static_cast<jint>(style), classText, titleText));
  env->DeleteLocalRef(classText);
  env->DeleteLocalRef(titleText);
  return info;
}

// A failed look-up or allocation leaves an exception pending in a real VM; these natives
// report failure by their result alone.
jobjectArray failWith(JNIEnv* env, const char* diagnostic) {
  env->ExceptionClear();
  std::fputs(diagnostic, stderr);
  std::fflush(stderr);
  return nullptr;
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_broadcastSettingChange0(JNIEnv*, jclass) try {
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG,
                      lnx::kBroadcastTimeoutMillis, nullptr);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_broadcastSettingChange0, 8);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_toFront0(JNIEnv*, jclass) try {
  DWORD ownProcess = GetCurrentProcessId();
  for (HWND window : lnx::topLevelWindows()) {
    if (!IsWindowVisible(window) || lnx::windowProcessId(window) != ownProcess) continue;
    SetForegroundWindow(window);
    SetForegroundWindow(GetLastActivePopup(window));
  }
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_toFront0, 8);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getWindowTitle0(JNIEnv* env, jclass,
                                                                                         jint processId) try {
  // The first visible titled window, else the last titled hidden one.
  std::wstring remembered;
  for (HWND window : lnx::topLevelWindows()) {
    if (lnx::windowProcessId(window) != static_cast<DWORD>(processId)) continue;
    std::wstring title = lnx::windowTitle(window);
    if (title.empty()) continue;
    remembered = title;
    if (IsWindowVisible(window)) break;
  }
  return lnx::newJavaString(env, remembered);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getWindowTitle0, 12);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_setForegroundWindow0(JNIEnv*, jclass,
                                                                                           jlong windowHandle) try {
  HWND window = lnx::windowFromJava(windowHandle);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(window, &placement) && placement.showCmd == SW_SHOWMINIMIZED) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_setForegroundWindow0, 16);

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Misc_getTopLevelWindows0(JNIEnv* env, jclass,
                                                                                                  jclass infoClass,
                                                                                                  jint processId) try {
  std::vector<HWND> windows = lnx::unownedVisibleWindows(static_cast<DWORD>(processId));
  if (windows.empty()) return nullptr;
  jmethodID constructor =
      infoClass ? env->GetMethodID(infoClass, "<init>", "(JILjava/lang/String;Ljava/lang/String;)V") : nullptr;
  if (!constructor) return lnx::failWith(env, "window info constructor not found");
  jobjectArray infos = env->NewObjectArray(static_cast<jsize>(windows.size()), infoClass, nullptr);
  if (!infos) return lnx::failWith(env, "could not create window info array");
  // Windows without a title, class name or style leave their slots at the end null.
  jsize filled = 0;
  for (HWND window : windows) {
    jobject info = lnx::newWindowInfo(env, infoClass, constructor, window); // null: a window without a title
    if (!info) continue;
    env->SetObjectArrayElement(infos, filled++, info);
    env->DeleteLocalRef(info);
  }
  return infos;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Misc_getTopLevelWindows0, 16);

} // extern "C"
