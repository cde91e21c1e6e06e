// The natives of the Java class Win32Proxy: which proxy Windows would use, asked of WinHTTP
// (loaded at run time): the current user's browser settings, the default configuration,
// and the proxy for one URL by automatic detection or a configuration script. The answers
// go into the String array the Java side passes (natives/proxy_rules.h); the methods return
// status codes and never throw.
#include <windows.h>

#include <winhttp.h>

#include <optional>
#include <string>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "natives/proxy_rules.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr wchar_t kDetectionUserAgent[] = L"lanternix proxy detection/1.0";

struct WinHttpFunctions {
  decltype(&WinHttpGetIEProxyConfigForCurrentUser) getIEProxyConfig = nullptr;
  decltype(&WinHttpOpen) open = nullptr;
  decltype(&WinHttpCloseHandle) closeHandle = nullptr;
  decltype(&WinHttpGetProxyForUrl) getProxyForUrl = nullptr;
  decltype(&WinHttpGetDefaultProxyConfiguration) getDefaultProxyConfiguration = nullptr;

  bool complete() const {
    return getIEProxyConfig && open && closeHandle && getProxyForUrl && getDefaultProxyConfiguration;
  }
};

WinHttpFunctions loadWinHttpFunctions() {
  WinHttpFunctions functions;
  HMODULE module = LoadLibraryW(L"Winhttp.dll"); // kept for the life of the process
  if (!module) return functions;
  lookUp(module, "WinHttpGetIEProxyConfigForCurrentUser", functions.getIEProxyConfig);
  lookUp(module, "WinHttpOpen", functions.open);
  lookUp(module, "WinHttpCloseHandle", functions.closeHandle);
  lookUp(module, "WinHttpGetProxyForUrl", functions.getProxyForUrl);
  lookUp(module, "WinHttpGetDefaultProxyConfiguration", functions.getDefaultProxyConfiguration);
  return functions;
}

// Looked up by the first query of the process.
const WinHttpFunctions& winHttp() {
  static const WinHttpFunctions functions = loadWinHttpFunctions();
  return functions;
}

// A text WinHTTP allocated for its caller.
struct GlobalTextTraits {
  using Value = wchar_t*;
  static Value invalid() { return nullptr; }
  static void close(Value text) { GlobalFree(text); }
};
using GlobalText = UniqueHandle<GlobalTextTraits>;

struct WinHttpSessionTraits {
  using Value = HINTERNET;
  static Value invalid() { return nullptr; }
  static void close(Value session) { winHttp().closeHandle(session); }
};
using WinHttpSession = UniqueHandle<WinHttpSessionTraits>;

const char16_t* units(const GlobalText& text) { return reinterpret_cast<const char16_t*>(text.get()); }

// Stores the slots' texts into the result array; slots beyond its end, or all of them for
// no array, are not written.
void writeSlots(JNIEnv* env, jobjectArray result, const ProxySlots& slots) {
  jsize slotCount = result ? env->GetArrayLength(result) : 0;
  for (jsize index = 0; index < slotCount && static_cast<size_t>(index) < slots.size(); ++index) {
    const std::optional<std::u16string>& text = slots[static_cast<size_t>(index)];
    if (!text) continue;
    jstring string =
        newJavaString(env, std::wstring_view(reinterpret_cast<const wchar_t*>(text->data()), text->size()));
    env->SetObjectArrayElement(result, index, string);
    env->DeleteLocalRef(string);
  }
}

// Writes a proxy configuration WinHTTP filled in, and frees its texts.
void writeProxyInfo(JNIEnv* env, jobjectArray result, const WINHTTP_PROXY_INFO& info) {
  GlobalText proxyList(info.lpszProxy);
  GlobalText bypassList(info.lpszProxyBypass);
  writeSlots(env, result, proxyInfoSlots(info.dwAccessType, units(proxyList), units(bypassList)));
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_getIEConfig0(JNIEnv* env, jclass,
                                                                                         jobjectArray result) try {
  const lnx::WinHttpFunctions& winHttp = lnx::winHttp();
  if (!winHttp.complete()) return lnx::kProxyFunctionsMissing;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!winHttp.getIEProxyConfig(&config)) return static_cast<jint>(GetLastError());
  lnx::GlobalText scriptUrl(config.lpszAutoConfigUrl);
  lnx::GlobalText proxyList(config.lpszProxy);
  lnx::GlobalText bypassList(config.lpszProxyBypass);
  lnx::writeSlots(
      env, result,
      lnx::browserProxySlots(config.fAutoDetect, lnx::units(scriptUrl), lnx::units(proxyList), lnx::units(bypassList)));
  return 0;
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_getIEConfig0, 12);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_getDefaultConfig0(JNIEnv* env, jclass,
                                                                                              jobjectArray result) try {
  const lnx::WinHttpFunctions& winHttp = lnx::winHttp();
  if (!winHttp.complete()) return lnx::kProxyFunctionsMissing;
  WINHTTP_PROXY_INFO info{};
  if (!winHttp.getDefaultProxyConfiguration(&info)) return static_cast<jint>(GetLastError());
  lnx::writeProxyInfo(env, result, info);
  return 0;
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_getDefaultConfig0, 12);

jlong JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_getAutoProxyConfig0(
    JNIEnv* env, jclass, jobjectArray result, jstring url, jstring scriptUrl, jint autoProxyFlags, jint autoDetectFlags,
    jboolean autoLogon) try {
  const lnx::WinHttpFunctions& winHttp = lnx::winHttp();
  if (!winHttp.complete()) return lnx::kProxyFunctionsMissing;
  std::optional<std::wstring> target = lnx::javaStringToWide(env, url);
  if (!target) return 0;
  std::optional<std::wstring> script = lnx::javaStringToWide(env, scriptUrl);
  lnx::WinHttpSession session(winHttp.open(lnx::kDetectionUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                           WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.valid()) return lnx::autoProxyStatus(lnx::AutoProxyStage::openSession, GetLastError());
  WINHTTP_AUTOPROXY_OPTIONS options{};
  options.dwFlags = static_cast<DWORD>(autoProxyFlags);
  options.dwAutoDetectFlags = static_cast<DWORD>(autoDetectFlags);
  options.lpszAutoConfigUrl = lnx::wideOrNull(script);
  options.fAutoLogonIfChallenged = autoLogon;
  WINHTTP_PROXY_INFO info{};
  if (!winHttp.getProxyForUrl(session.get(), target->c_str(), &options, &info))
    return lnx::autoProxyStatus(lnx::AutoProxyStage::resolveProxy, GetLastError());
  lnx::writeProxyInfo(env, result, info);
  return 0;
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_getAutoProxyConfig0, 32);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_loadFunctions0(JNIEnv*, jclass) try {
  return lnx::winHttp().complete();
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Proxy_loadFunctions0, 8);

} // extern "C"
