// The Win32Services class's natives against the (Wine) service control manager, called
// through the executable's export table with the fake VM as their JNIEnv. Every test
// creates services under names of its own and deletes them at the end. The services that
// really run are this test executable, started with kServiceSwitch.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "natives/service_rules.h"

namespace lnx {
namespace {

// The test service: started as "<this executable> --lnx-test-service <record file>
// <progress steps> <stall milliseconds>", it writes the arguments its service main receives
// into the record file, one a line, and runs until told to stop. It then reports stop
// pending with check points 1 to the progress steps, 200 ms apart and with a wait hint
// of 300 ms, stays stop pending for the stall milliseconds, and stops.
constexpr wchar_t kServiceSwitch[] = L"--lnx-test-service";
constexpr DWORD kTestServiceWaitHint = 300;

struct TestServiceRun {
  std::wstring recordPath;
  DWORD progressSteps = 0;
  DWORD stallMillis = 0;
  SERVICE_STATUS_HANDLE status = nullptr;
  HANDLE stopRequested = nullptr;
};
TestServiceRun testService;

void reportTestService(DWORD state, DWORD checkPoint) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwCheckPoint = checkPoint;
  status.dwWaitHint = state == SERVICE_STOP_PENDING ? kTestServiceWaitHint : 0;
  SetServiceStatus(testService.status, &status);
}

DWORD WINAPI testServiceControl(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) SetEvent(testService.stopRequested);
  return NO_ERROR;
}

void WINAPI testServiceMain(DWORD count, wchar_t** arguments) {
  testService.status = RegisterServiceCtrlHandlerExW(L"", testServiceControl, nullptr);
  std::wstring record;
  for (DWORD index = 0; index < count; ++index)
    record += std::wstring(arguments[index]) + L"\n";
  HANDLE file = CreateFileW(testService.recordPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  reportTestService(SERVICE_RUNNING, 0);
  WaitForSingleObject(testService.stopRequested, INFINITE);
  reportTestService(SERVICE_STOP_PENDING, 0);
  for (DWORD step = 1; step <= testService.progressSteps; ++step) {
    reportTestService(SERVICE_STOP_PENDING, step);
    Sleep(200);
  }
  Sleep(testService.stallMillis);
  reportTestService(SERVICE_STOPPED, 0);
}

// Runs before the tests' main: started as the test service, the process serves and ends.
[[maybe_unused]] const bool servedAsTestService = [] {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count != 5 || std::wstring(arguments[1]) != kServiceSwitch) {
    LocalFree(arguments);
    return false;
  }
  testService.recordPath = arguments[2];
  testService.progressSteps = static_cast<DWORD>(std::stoul(arguments[3]));
  testService.stallMillis = static_cast<DWORD>(std::stoul(arguments[4]));
  testService.stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L""), testServiceMain}, {nullptr, nullptr}};
  StartServiceCtrlDispatcherW(table);
  ExitProcess(0);
}();

constexpr char kServicesClass[] = "com/lanternix/runtime/installer/platform/win32/Win32Services";
constexpr jint kServiceDoesNotExist = 1060;

using InstallNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring);
using ChangeConfigNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring, jint, jint, jstring, jstring,
                                          jstring, jstring);
using RestartConfigNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jboolean, jint);
using FlagNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jboolean);
using StopNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jint);
using StartNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jobjectArray);
using NameNative = jint(JNICALL*)(JNIEnv*, jclass, jstring);
using BinaryNative = jstring(JNICALL*)(JNIEnv*, jclass, jstring);

template <typename Function> NativeMethod<Function> servicesNative(const char* method) {
  return nativeFunction<Function>(kServicesClass, method);
}

struct ServiceHandleCloser {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

struct StoredConfig {
  DWORD serviceType = 0;
  DWORD startType = 0;
  DWORD errorControl = 0;
  std::wstring binaryPath;
  std::wstring account;
  std::wstring displayName;
};

class ServiceNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(install && changeConfig && restartConfig && delayedStart && stop && start && uninstall && queryStatus &&
                startType && binary)
        << "every Win32Services native is exported under its decorated name";
    ASSERT_TRUE(manager);
  }

  void TearDown() override {
    for (const std::wstring& name : created)
      remove(name);
    DeleteFileW(recordPath.c_str());
    NativeTest::TearDown();
  }

  std::optional<std::wstring> shown(jstring value) {
    std::optional<std::u16string> units = jvm.stringText(value);
    return units ? std::optional<std::wstring>(std::wstring(units->begin(), units->end())) : std::nullopt;
  }

  // A name no other test or run uses; the service is deleted in TearDown.
  std::wstring newServiceName() {
    static int counter = 0;
    created.push_back(L"lnx-natives-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    return created.back();
  }
  // A new service that runs this executable as the test service.
  std::wstring installTestService(DWORD progressSteps, DWORD stallMillis) {
    wchar_t executable[MAX_PATH];
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    std::wstring name = newServiceName();
    std::wstring command = L"\"" + std::wstring(executable) + L"\" " + kServiceSwitch + L" \"" + recordPath + L"\" " +
                           std::to_wstring(progressSteps) + L" " + std::to_wstring(stallMillis);
    EXPECT_EQ(0, install(env, nullptr, text(name), text(name), text(command))) << "display names are unique too";
    return name;
  }

  ServiceHandle open(const std::wstring& name, DWORD access) {
    return ServiceHandle(OpenServiceW(manager.get(), name.c_str(), access));
  }
  DWORD state(const std::wstring& name) {
    ServiceHandle service = open(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
  }
  bool reachesState(const std::wstring& name, DWORD wanted) {
    for (DWORD waited = 0; waited < 15000; waited += 50) {
      if (state(name) == wanted) return true;
      Sleep(50);
    }
    return false;
  }
  // Started by startService0 without arguments, and running.
  bool startsRunning(const std::wstring& name) {
    return start(env, nullptr, text(name), nullptr) == 0 && reachesState(name, SERVICE_RUNNING);
  }
  // Stopped (waiting for it when it was running) and deleted.
  void remove(const std::wstring& name) {
    ServiceHandle service = open(name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service) return;
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    EXPECT_TRUE(reachesState(name, SERVICE_STOPPED)) << "the test service ends";
    DeleteService(service.get());
  }

  std::optional<StoredConfig> storedConfig(const std::wstring& name) {
    ServiceHandle service = open(name, SERVICE_QUERY_CONFIG);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    auto config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!service || !QueryServiceConfigW(service.get(), config, static_cast<DWORD>(buffer.size()), &needed))
      return std::nullopt;
    return StoredConfig{config->dwServiceType,
                        config->dwStartType,
                        config->dwErrorControl,
                        config->lpBinaryPathName,
                        config->lpServiceStartName ? config->lpServiceStartName : L"",
                        config->lpDisplayName};
  }
  // The dependencies where the manager keeps them (its query leaves them out under Wine);
  // nothing when there are none.
  std::optional<std::wstring> storedDependencies(const std::wstring& name) {
    std::wstring key = L"System\\CurrentControlSet\\Services\\" + name;
    wchar_t data[512];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DependOnService", RRF_RT_REG_MULTI_SZ, nullptr, data, &size))
      return std::nullopt;
    return std::wstring(data, size / sizeof(wchar_t));
  }
  std::wstring storedDescription(const std::wstring& name) {
    ServiceHandle service = open(name, SERVICE_QUERY_CONFIG);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    if (!service || !QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), &needed))
      return L"(no description)";
    const wchar_t* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data())->lpDescription;
    return description ? description : L"";
  }
  std::wstring recorded() {
    HANDLE file = CreateFileW(recordPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"(no record)";
    wchar_t units[1024];
    DWORD read = 0;
    ReadFile(file, units, sizeof units, &read, nullptr);
    CloseHandle(file);
    return std::wstring(units, read / sizeof(wchar_t));
  }

  // Runs stopService0 and gives its result with the milliseconds it took.
  std::pair<jint, DWORD> timedStop(const std::wstring& name, jint timeLimitMillis) {
    DWORD started = GetTickCount();
    jint result = stop(env, nullptr, text(name), timeLimitMillis);
    return {result, GetTickCount() - started};
  }

  std::wstring recordPath = [] {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + L"lnx-service-record-" + std::to_wstring(GetCurrentProcessId());
  }();
  std::vector<std::wstring> created;
  ServiceHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)};

  NativeMethod<InstallNative> install = servicesNative<InstallNative>("installService0");
  NativeMethod<ChangeConfigNative> changeConfig = servicesNative<ChangeConfigNative>("changeServiceConfig0");
  NativeMethod<RestartConfigNative> restartConfig = servicesNative<RestartConfigNative>("setRestartServiceConfig0");
  NativeMethod<FlagNative> delayedStart = servicesNative<FlagNative>("setDelayedAutoStart0");
  NativeMethod<StopNative> stop = servicesNative<StopNative>("stopService0");
  NativeMethod<StartNative> start = servicesNative<StartNative>("startService0");
  NativeMethod<NameNative> uninstall = servicesNative<NameNative>("uninstallService0");
  NativeMethod<NameNative> queryStatus = servicesNative<NameNative>("queryStatus0");
  NativeMethod<NameNative> startType = servicesNative<NameNative>("getStartType0");
  NativeMethod<BinaryNative> binary = servicesNative<BinaryNative>("getServiceBinary0");
};

TEST_F(ServiceNatives, UnknownServicesAnswerWithTheErrorOfTheOpening) {
  jstring unknown = text(L"lnx-natives-never-installed");
  EXPECT_EQ(kServiceDoesNotExist, queryStatus(env, nullptr, unknown));
  EXPECT_EQ(kServiceDoesNotExist, startType(env, nullptr, unknown));
  EXPECT_EQ(L" 1060", shown(binary(env, nullptr, unknown)));
  EXPECT_EQ(kServiceDoesNotExist, start(env, nullptr, unknown, nullptr));
  EXPECT_EQ(kServiceDoesNotExist, stop(env, nullptr, unknown, 0));
  EXPECT_EQ(kServiceDoesNotExist, uninstall(env, nullptr, unknown));
  EXPECT_EQ(kServiceDoesNotExist, delayedStart(env, nullptr, unknown, true));
  EXPECT_EQ(kServiceDoesNotExist, restartConfig(env, nullptr, unknown, true, 1000));
  EXPECT_EQ(kServiceDoesNotExist,
            changeConfig(env, nullptr, unknown, nullptr, nullptr, -1, -1, nullptr, nullptr, nullptr, text(L"x")));

  // No name is an invalid argument to the manager, not a crash.
  EXPECT_GT(queryStatus(env, nullptr, nullptr), 0);
  EXPECT_GT(install(env, nullptr, nullptr, nullptr, text(L"C:\\x.exe")), 0);
  std::optional<std::wstring> failure = shown(binary(env, nullptr, nullptr));
  ASSERT_TRUE(failure);
  EXPECT_EQ(L" " + std::to_wstring(queryStatus(env, nullptr, nullptr)), *failure);
}

TEST_F(ServiceNatives, InstalledServicesStartOnDemandAsLocalSystemUntilUninstalled) {
  std::wstring name = newServiceName();
  const std::wstring path = L"\"C:\\Program Files\\lnx\\service.exe\" -run";
  ASSERT_EQ(0, install(env, nullptr, text(name), text(L"Lnx \u00e9 service"), text(path)));
  std::optional<StoredConfig> stored = storedConfig(name);
  ASSERT_TRUE(stored);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), stored->serviceType);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), stored->startType);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), stored->errorControl);
  EXPECT_EQ(path, stored->binaryPath);
  EXPECT_EQ(L"Lnx \u00e9 service", stored->displayName);
  EXPECT_EQ(L"LocalSystem", stored->account);
  EXPECT_FALSE(storedDependencies(name));

  EXPECT_EQ(-3, startType(env, nullptr, text(name))) << "on demand";
  EXPECT_EQ(path, shown(binary(env, nullptr, text(name))));
  EXPECT_EQ(-1, queryStatus(env, nullptr, text(name))) << "stopped";
  EXPECT_EQ(ERROR_SERVICE_EXISTS, install(env, nullptr, text(name), text(L"again"), text(path)));
  EXPECT_EQ(L"Lnx \u00e9 service", storedConfig(name)->displayName);

  EXPECT_EQ(0, uninstall(env, nullptr, text(name)));
  // Gone at once: no native left a handle of the service open.
  EXPECT_EQ(kServiceDoesNotExist, queryStatus(env, nullptr, text(name)));
  EXPECT_EQ(kServiceDoesNotExist, uninstall(env, nullptr, text(name)));
}

TEST_F(ServiceNatives, ConfigurationChangesReplaceDependenciesAndNameLocalSystem) {
  std::wstring name = newServiceName();
  ASSERT_EQ(0, install(env, nullptr, text(name), text(L"First"), text(L"C:\\first.exe")));

  ASSERT_EQ(0, changeConfig(env, nullptr, text(name), text(L"Second"), text(L"C:\\second.exe -x"),
                            SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, text(L"a,,b"),
                            text(L"NT AUTHORITY\\LocalSystem"), nullptr, text(L"Described")));
  std::optional<StoredConfig> stored = storedConfig(name);
  ASSERT_TRUE(stored);
  EXPECT_EQ(L"Second", stored->displayName);
  EXPECT_EQ(L"C:\\second.exe -x", stored->binaryPath);
  EXPECT_EQ(L"LocalSystem", stored->account);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), stored->errorControl) << "kept";
  EXPECT_EQ(-2, startType(env, nullptr, text(name))) << "automatic";
  EXPECT_EQ(std::wstring(L"a\0b\0\0", 5), storedDependencies(name));
  EXPECT_EQ(L"Described", storedDescription(name));

  // SERVICE_NO_CHANGE and null texts keep settings; the dependencies go all the same.
  ASSERT_EQ(0, changeConfig(env, nullptr, text(name), nullptr, nullptr, -1, -1, nullptr,
                            text(L"nt authority\\localsystem"), nullptr, nullptr));
  stored = storedConfig(name);
  ASSERT_TRUE(stored);
  EXPECT_EQ(L"Second", stored->displayName);
  EXPECT_EQ(L"C:\\second.exe -x", stored->binaryPath);
  EXPECT_EQ(L"nt authority\\localsystem", stored->account) << "only the exact spelling is mapped";
  EXPECT_EQ(-2, startType(env, nullptr, text(name)));
  EXPECT_FALSE(storedDependencies(name));
  EXPECT_EQ(L"Described", storedDescription(name));

  ASSERT_EQ(0, changeConfig(env, nullptr, text(name), nullptr, nullptr, -1, SERVICE_DISABLED, text(L"Tcpip"),
                            text(L"NT AUTHORITY\\System"), nullptr, text(L"")));
  EXPECT_EQ(L"LocalSystem", storedConfig(name)->account);
  EXPECT_EQ(-4, startType(env, nullptr, text(name))) << "disabled";
  EXPECT_EQ(std::wstring(L"Tcpip\0\0", 7), storedDependencies(name));

  // A list longer than its buffer changes nothing.
  EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER,
            changeConfig(env, nullptr, text(name), text(L"Third"), nullptr, -1, -1,
                         text(std::wstring(kDependencyListUnits, L'd')), nullptr, nullptr, nullptr));
  EXPECT_EQ(L"Second", storedConfig(name)->displayName);
}

TEST_F(ServiceNatives, FailureActionsAndDelayedStartGoToTheManager) {
  // Wine accepts failure actions without keeping them and refuses the delayed start level
  // (124): only the results can be seen here.
  std::wstring name = newServiceName();
  ASSERT_EQ(0, install(env, nullptr, text(name), text(name), text(L"C:\\actions.exe")));
  EXPECT_EQ(0, restartConfig(env, nullptr, text(name), true, 60000));
  EXPECT_EQ(0, restartConfig(env, nullptr, text(name), false, 0));
  EXPECT_EQ(ERROR_INVALID_LEVEL, delayedStart(env, nullptr, text(name), true));
}

TEST_F(ServiceNatives, StartedServicesRunWithTheirArgumentsAndStopWithinAPoll) {
  std::wstring name = installTestService(0, 100);
  EXPECT_EQ(ERROR_INVALID_PARAMETER, start(env, nullptr, text(name), jvm.newStringArray({u"a", std::nullopt})));
  EXPECT_EQ(-1, queryStatus(env, nullptr, text(name))) << "not started with a null argument";

  // Wine drops an empty argument and all after it, so every one here has text.
  ASSERT_EQ(0, start(env, nullptr, text(name), jvm.newStringArray({u"alpha", u"two words", u"\u00e9"})));
  ASSERT_TRUE(reachesState(name, SERVICE_RUNNING));
  EXPECT_EQ(-4, queryStatus(env, nullptr, text(name)));
  EXPECT_EQ(name + L"\nalpha\ntwo words\n\u00e9\n", recorded()) << "the service's name comes first";
  EXPECT_EQ(ERROR_SERVICE_ALREADY_RUNNING, start(env, nullptr, text(name), nullptr));

  auto [stopped, tookMillis] = timedStop(name, 20000);
  EXPECT_EQ(0, stopped);
  EXPECT_GE(tookMillis, 450u) << "one poll";
  EXPECT_LT(tookMillis, 5000u) << "not the time limit";
  EXPECT_EQ(-1, queryStatus(env, nullptr, text(name)));
  auto [again, againMillis] = timedStop(name, 20000);
  EXPECT_EQ(ERROR_SERVICE_NOT_ACTIVE, again);
  EXPECT_LT(againMillis, 450u) << "no wait";

  ASSERT_TRUE(startsRunning(name));
  EXPECT_EQ(name + L"\n", recorded()) << "no arguments";
}

TEST_F(ServiceNatives, TheStopWaitFollowsProgressAndEndsAfterHintAndLimit) {
  // Progress for 1.2 s: waited for to the end, though the limit is 0.
  std::wstring progressing = installTestService(6, 0);
  ASSERT_TRUE(startsRunning(progressing));
  auto [progressed, progressMillis] = timedStop(progressing, 0);
  EXPECT_EQ(0, progressed);
  EXPECT_GE(progressMillis, 1000u);

  // A stall of 4 s: the wait ends once the hint, counted from the last progress, and the
  // limit have passed; after 1 s of progress without limit, and without progress with a
  // limit of 1.5 s.
  struct Stall {
    DWORD progressSteps;
    jint timeLimitMillis;
    DWORD minimumMillis;
  };
  for (Stall stall : {Stall{5, 0, 950}, Stall{0, 1500, 1500}}) {
    std::wstring name = installTestService(stall.progressSteps, 4000);
    ASSERT_TRUE(startsRunning(name));
    auto [result, tookMillis] = timedStop(name, stall.timeLimitMillis);
    EXPECT_EQ(kServiceStillRunning, result) << stall.timeLimitMillis;
    EXPECT_GE(tookMillis, stall.minimumMillis) << stall.timeLimitMillis;
    EXPECT_LT(tookMillis, 4000u) << stall.timeLimitMillis;
    EXPECT_EQ(-3, queryStatus(env, nullptr, text(name))) << "stop pending";
  }
}

} // namespace
} // namespace lnx
