// The natives of the Java class Win32Services: each opens the local service control
// manager and the named service (or creates it), performs one operation and closes both.
// They never throw: the outcome is one int, 0 for success, the Windows error code of the
// call that failed, or one of the codes of natives/service_rules.h.
#include <windows.h>

#include <string>
#include <vector>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "natives/service_rules.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

struct ServiceHandleTraits {
  using Value = SC_HANDLE;
  static Value invalid() { return nullptr; }
  static void close(Value h) { CloseServiceHandle(h); }
};
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;

constexpr DWORD kConfigBufferBytes = 8192;

jint lastError() { return static_cast<jint>(GetLastError()); }

// The manager and the service of one call; the service closes first. failure holds the
// result of an opening that failed, 0 when both are open.
struct OpenedService {
  ServiceHandle manager;
  ServiceHandle service;
  jint failure = 0;
};

OpenedService openService(JNIEnv* env, jstring serviceName, DWORD managerAccess, DWORD serviceAccess) {
  OpenedService opened;
  opened.manager.reset(OpenSCManagerW(nullptr, nullptr, managerAccess));
  if (!opened.manager.valid()) {
    opened.failure = kServiceManagerUnavailable;
    return opened;
  }
  opened.service.reset(
      OpenServiceW(opened.manager.get(), wideOrNull(javaStringToWide(env, serviceName)), serviceAccess));
  if (!opened.service.valid()) opened.failure = lastError();
  return opened;
}

// The service's configuration in the fixed query buffer; false (with the error left for
// GetLastError) when the query fails.
bool queryServiceConfig(SC_HANDLE service, std::vector<BYTE>& buffer) {
  buffer.assign(kConfigBufferBytes, 0);
  DWORD needed = 0;
  return QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()), kConfigBufferBytes,
                             &needed);
}

const QUERY_SERVICE_CONFIGW& serviceConfig(const std::vector<BYTE>& buffer) {
  return *reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
}

class ServiceStopWatchWin32 : public ServiceStopWatch {
public:
  explicit ServiceStopWatchWin32(SC_HANDLE service) : service_(service) {}
  std::optional<ServiceStopStatus> queryStatus() override {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service_, &status)) return std::nullopt;
    return ServiceStopStatus{status.dwCurrentState, status.dwCheckPoint, status.dwWaitHint};
  }
  uint32_t tickCount() override { return GetTickCount(); }
  void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }

private:
  SC_HANDLE service_;
};

// A Java string as the UTF-16 text the portable rules take.
std::u16string portableText(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring wideText(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

using ChangeServiceConfig2WFunction = BOOL(WINAPI*)(SC_HANDLE, DWORD, void*);

} // namespace

} // namespace lnx

using lnx::OpenedService;

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_installService0(JNIEnv* env, jclass,
                                                                                               jstring serviceName,
                                                                                               jstring displayName,
                                                                                               jstring executablePath) try {
  lnx::ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.valid()) return lnx::kServiceManagerUnavailable;
  // No load-order group, tag, dependencies or account: the service runs as LocalSystem.
  lnx::ServiceHandle service(CreateServiceW(
      manager.get(), lnx::wideOrNull(lnx::javaStringToWide(env, serviceName)),
      lnx::wideOrNull(lnx::javaStringToWide(env, displayName)), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, lnx::wideOrNull(lnx::javaStringToWide(env, executablePath)), nullptr,
      nullptr, nullptr, nullptr, nullptr));
  return service.valid() ? 0 : lnx::lastError();
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_installService0, 20);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_changeServiceConfig0(
    JNIEnv* env, jclass, jstring serviceName, jstring displayName, jstring executablePath, jint serviceType,
    jint startType, jstring dependencies, jstring account, jstring password, jstring description) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
  if (opened.failure) return opened.failure;
  // The dependency list is always replaced: no text empties it.
  std::optional<std::u16string> dependencyList =
      lnx::dependencyList(lnx::portableText(lnx::javaStringToWide(env, dependencies).value_or(L"")));
  if (!dependencyList) return ERROR_INSUFFICIENT_BUFFER;
  std::optional<std::wstring> accountName = lnx::javaStringToWide(env, account);
  if (accountName) accountName = lnx::wideText(lnx::serviceAccountName(lnx::portableText(*accountName)));
  // Null texts and SERVICE_NO_CHANGE (-1) leave their settings as they are.
  if (!ChangeServiceConfigW(opened.service.get(), static_cast<DWORD>(serviceType), static_cast<DWORD>(startType),
                            SERVICE_NO_CHANGE, lnx::wideOrNull(lnx::javaStringToWide(env, executablePath)), nullptr,
                            nullptr, lnx::wideText(*dependencyList).c_str(), lnx::wideOrNull(accountName),
                            lnx::wideOrNull(lnx::javaStringToWide(env, password)),
                            lnx::wideOrNull(lnx::javaStringToWide(env, displayName))))
    return lnx::lastError();
  std::optional<std::wstring> descriptionText = lnx::javaStringToWide(env, description);
  if (descriptionText) {
    SERVICE_DESCRIPTIONW serviceDescription{descriptionText->data()};
    ChangeServiceConfig2W(opened.service.get(), SERVICE_CONFIG_DESCRIPTION, &serviceDescription);
  }
  return 0;
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_changeServiceConfig0, 44);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_setRestartServiceConfig0(
    JNIEnv* env, jclass, jstring serviceName, jboolean restart, jint restartDelayMillis) try {
  auto changeConfig2 =
      lnx::systemFunction<lnx::ChangeServiceConfig2WFunction>(L"advapi32.dll", "ChangeServiceConfig2W");
  if (!changeConfig2) return 1;
  OpenedService opened =
      lnx::openService(env, serviceName, SC_MANAGER_ALL_ACCESS, SERVICE_CHANGE_CONFIG | SERVICE_START);
  if (opened.failure) return opened.failure;
  SC_ACTION restartAction{SC_ACTION_RESTART, static_cast<DWORD>(restartDelayMillis)};
  // No actions with a non-null list removes the failure actions; a null list would keep
  // them.
  SERVICE_FAILURE_ACTIONSW failureActions{0, nullptr, nullptr, restart ? 1u : 0u, &restartAction};
  return changeConfig2(opened.service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &failureActions) ? 0 : lnx::lastError();
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_setRestartServiceConfig0, 20);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_setDelayedAutoStart0(JNIEnv* env, jclass,
                                                                                                    jstring serviceName,
                                                                                                    jboolean delayed) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
  if (opened.failure) return opened.failure;
  SERVICE_DELAYED_AUTO_START_INFO delayedStart{delayed ? TRUE : FALSE};
  return ChangeServiceConfig2W(opened.service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayedStart)
             ? 0
             : lnx::lastError();
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_setDelayedAutoStart0, 16);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_stopService0(JNIEnv* env, jclass,
                                                                                            jstring serviceName,
                                                                                            jint timeLimitMillis) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_CONNECT, SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (opened.failure) return opened.failure;
  SERVICE_STATUS status{};
  if (!ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status)) return lnx::lastError();
  lnx::ServiceStopWatchWin32 watch(opened.service.get());
  return lnx::waitForServiceStop(watch, timeLimitMillis);
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_stopService0, 16);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_startService0(JNIEnv* env, jclass,
                                                                                             jstring serviceName,
                                                                                             jobjectArray arguments) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_CONNECT, SERVICE_START);
  if (opened.failure) return opened.failure;
  std::vector<std::optional<std::wstring>> texts =
      lnx::javaStringArrayToWide(env, arguments).value_or(std::vector<std::optional<std::wstring>>());
  std::vector<const wchar_t*> argumentVector;
  for (const std::optional<std::wstring>& text : texts) {
    if (!text) return ERROR_INVALID_PARAMETER; // a service cannot be handed a null argument
    argumentVector.push_back(text->c_str());
  }
  // Started only: the service may still be starting when this returns.
  return StartServiceW(opened.service.get(), static_cast<DWORD>(argumentVector.size()),
                       argumentVector.empty() ? nullptr : argumentVector.data())
             ? 0
             : lnx::lastError();
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_startService0, 16);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_uninstallService0(JNIEnv* env, jclass,
                                                                                                 jstring serviceName) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_ALL_ACCESS, DELETE);
  if (opened.failure) return opened.failure;
  return DeleteService(opened.service.get()) ? 0 : lnx::lastError();
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_uninstallService0, 12);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_queryStatus0(JNIEnv* env, jclass,
                                                                                            jstring serviceName) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS);
  if (opened.failure) return opened.failure;
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(opened.service.get(), &status)) return lnx::lastError();
  return -static_cast<jint>(status.dwCurrentState);
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_queryStatus0, 12);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_getStartType0(JNIEnv* env, jclass,
                                                                                             jstring serviceName) try {
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_CONNECT, SERVICE_QUERY_CONFIG);
  if (opened.failure) return opened.failure;
  std::vector<BYTE> buffer;
  if (!lnx::queryServiceConfig(opened.service.get(), buffer)) return lnx::lastError();
  return -static_cast<jint>(lnx::serviceConfig(buffer).dwStartType);
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_getStartType0, 12);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Services_getServiceBinary0(
    JNIEnv* env, jclass, jstring serviceName) try {
  // A failure is a space and the decimal result code.
  auto failureText = [env](jint code) { return lnx::newJavaString(env, L" " + std::to_wstring(code)); };
  OpenedService opened = lnx::openService(env, serviceName, SC_MANAGER_CONNECT, SERVICE_QUERY_CONFIG);
  if (opened.failure) return failureText(opened.failure);
  std::vector<BYTE> buffer;
  if (!lnx::queryServiceConfig(opened.service.get(), buffer)) return failureText(lnx::lastError());
  const wchar_t* binaryPath = lnx::serviceConfig(buffer).lpBinaryPathName;
  return lnx::newJavaString(env, binaryPath ? binaryPath : L"");
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Services_getServiceBinary0, 12);

} // extern "C"
