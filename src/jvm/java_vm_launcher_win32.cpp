#include <windows.h>

#include <jni.h>

#include <cstdlib>
#include <vector>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "instance/single_instance.h"
#include "jvm/java_vm_calls.h"
#include "jvm/java_vm_launcher.h"
#include "jvm/launch_parameters.h"
#include "jvm/variables.h"
#include "jvm/vm_options.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/extraction.h"
#include "payload/tables.h"
#include "runtime/jvm_loading.h"
#include "win32/environment.h"

namespace lnx {

namespace {

JavaVM* createdVm = nullptr;
JNIEnv* createdEnv = nullptr;

using CreateJavaVmFn = jint(JNICALL*)(JavaVM**, void**, void*);
using RegisterNativesFn = bool (*)(JNIEnv*, HMODULE, void (*)(const wchar_t*, int));

void reportRegistrationError(const wchar_t* format, int argument) { logError(format, argument); }

std::vector<std::string> systemProperties() {
  const LauncherState& state = launcherState();
  SystemPropertyInputs inputs;
  inputs.semaphoreName = instanceSemaphoreName();
  inputs.manualRuntime = state.manualRuntime;
  inputs.installerFamily = state.launcherFamily == 'i';
  inputs.moduleName = moduleFileName();
  inputs.tempDir = state.extractionDir;
  bool notExtracted = state.languageRestart && !state.restartFilesMissing;
  inputs.unextractedPosition = notExtracted ? -1 : static_cast<int>(getUnextractedPosition());
  inputs.path = environmentVariable("PATH").value_or(""); // the option is cut to its limit later
  if (GetEnvironmentVariableA("MANPATH", nullptr, 0) == 0) inputs.consoleCodePage = GetConsoleOutputCP();
  return launcherSystemProperties(inputs);
}

// The redirection file of main's parameters: expanded, kept when it starts with "$",
// else made absolute against the launcher's directory.
std::wstring redirectFile(int enabledId, int fileId) {
  if (getConfigInt(enabledId) == 0) return std::wstring();
  std::wstring file = getConfigWString(fileId);
  expandVariablesW(file, false);
  return !file.empty() && file[0] == L'$' ? file : makeFullPath(file, true, false);
}

std::vector<std::wstring> mainParameters(const ArgumentList& args) {
  MainParameterInputs inputs;
  inputs.guiLauncher = getConfigInt(config::launcherType) == 1;
  inputs.moduleMode = getConfigInt(config::moduleMode) != 0;
  inputs.mainClass = getConfigCopy(config::mainClass);
  inputs.stderrFile = redirectFile(config::redirectStderr, config::stderrFile);
  inputs.stdoutFile = redirectFile(config::redirectStdout, config::stdoutFile);
  inputs.javaSideFlag = getConfigInt(config::javaSideFlag) != 0;
  std::wstring configured = getConfigWString(config::defaultArguments, 2000);
  expandVariablesW(configured, false, 2000);
  splitCommandLine(configured, inputs.defaultArguments);
  inputs.commandLine = args;
  inputs.jArgumentsAreVmOptions = getConfigInt(config::jArgumentsAreVmOptions) != 0;
  return buildMainParameters(inputs);
}

SplashConfig splashConfig() {
  SplashConfig splash;
  splash.splashFlag = getConfigInt(config::splashFlag) != 0;
  splash.line1Text = getConfigString(config::splashLine1Text, 2000);
  splash.line1Colour = getConfigString(config::splashLine1Colour, 2000);
  splash.line2Text = getConfigString(config::splashLine2Text, 2000);
  splash.line2Colour = getConfigString(config::splashLine2Colour, 2000);
  const int line1Ids[4] = {config::splashLine1X, config::splashLine1Y, config::splashLine1FontSize,
                           config::splashLine1FontWeight};
  const int line2Ids[4] = {config::splashLine2X, config::splashLine2Y, config::splashLine2FontSize,
                           config::splashLine2FontWeight};
  for (int i = 0; i < 4; ++i) {
    splash.line1[i] = getConfigInt(line1Ids[i]);
    splash.line2[i] = getConfigInt(line2Ids[i]);
  }
  return splash;
}

bool createJavaVm() {
  VmOptionList options = buildVmOptions(systemProperties());
  std::vector<JavaVMOption> vmOptions(options.size());
  for (size_t i = 0; i < options.size(); ++i) {
    vmOptions[i].optionString = const_cast<char*>(options[i].c_str());
    vmOptions[i].extraInfo = nullptr;
  }
  JavaVMInitArgs initArgs{};
  initArgs.version = JNI_VERSION_1_2;
  initArgs.nOptions = static_cast<jint>(vmOptions.size());
  initArgs.options = vmOptions.data();
  initArgs.ignoreUnrecognized = JNI_TRUE;
  logPrint(L"Creating JVM");
  auto create = reinterpret_cast<CreateJavaVmFn>(createJavaVmEntry());
  return create && create(&createdVm, reinterpret_cast<void**>(&createdEnv), &initArgs) == 0;
}

void registerHelperNatives(JNIEnv* env) {
  logPrint(L"load helper dll");
  HMODULE self = GetModuleHandleA(nullptr);
  logPrint(L"helper dll (in-module) %p", static_cast<const void*>(self));
  auto registerNatives =
      reinterpret_cast<RegisterNativesFn>(reinterpret_cast<void*>(GetProcAddress(self, "registerNatives")));
  if (!registerNatives) {
    logError(L"did not find register natives in helper dll");
    return;
  }
  // A step that fails leaves its Java error pending; main must not start with it.
  bool initialised = initFromLauncher(env, JNI_TRUE);
  checkJavaException(env, false);
  if (!initialised) return;
  if (!registerNatives(env, self, reportRegistrationError)) {
    logError(L"registering helper dll failed");
    checkJavaException(env, false);
    initFromLauncher(env, JNI_FALSE);
    checkJavaException(env, false);
  }
}

std::wstring executablePath() {
  std::vector<wchar_t> path(6000);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return length > 0 && length < path.size() ? std::wstring(path.data(), length) : std::wstring();
}

} // namespace

bool launchJava(const ArgumentList& args, bool destroyAfterMain) {
  logPrint(L"launching program");
  if (!createJavaVm()) {
    logError(L"could not initialize JVM");
    return false;
  }
  logPrint(L"JVM created");
  // The steps before main are not fatal: each one's Java error is logged and cleared.
  if (getConfigInt(config::awtSplash) != 0) {
    passSplashConfig(createdEnv, splashConfig());
    checkJavaException(createdEnv, false);
  }
  bool installerFamily = launcherState().launcherFamily == 'i';
  if (installerFamily) registerHelperNatives(createdEnv);
  setExternalExecutable(createdEnv, executablePath());
  checkJavaException(createdEnv, false);
  setModuleNameProperty(createdEnv, longModuleFileName());
  checkJavaException(createdEnv, false);

  std::string launcherClass =
      installerFamily ? "com/lanternix/runtime/launcher/WinLauncher" : "com/morva/runtime/WinLauncher";
  switch (callMain(createdEnv, launcherClass, mainParameters(args))) {
  case MainOutcome::ClassMissing: failWithMessageArgument(message::mainClassMissing, nullptr);
  case MainOutcome::MethodMissing: failWithMessageArgument(message::mainMethodMissing, nullptr);
  case MainOutcome::ParameterArrayFailed: failWithMessageArgument(message::internalError, L"JavaVMLauncher paramArray");
  case MainOutcome::StringFailed: failWithMessageArgument(message::internalError, L"JavaVMLauncher jstr");
  case MainOutcome::Threw: logError(L"could not call main"); return false;
  case MainOutcome::Returned: break;
  }
  if (destroyAfterMain) {
    logPrint(L"dest JVM");
    createdVm->DestroyJavaVM();
  }
  logPrint(L"launch done");
  return true;
}

} // namespace lnx
