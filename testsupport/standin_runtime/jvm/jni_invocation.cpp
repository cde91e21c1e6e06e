// jvm.dll of the stand-in runtime: the invocation interface the launcher takes from the
// library with GetProcAddress. JNI_CreateJavaVM creates a fake VM over the class path it
// is given (no bytecode runs); every call is recorded in the report file (jvm_switches.h).
#define _JNI_IMPLEMENTATION_ // jni.h then declares its functions as exports
#include <jni.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "java_side.h"
#include "jni_fake/fake_jvm.h"
#include "jni_fake/java_text.h"
#include "jvm_switches.h"
#include "report_file.h"

namespace {

constexpr char16_t kClassPathOption[] = u"-Djava.class.path=";
constexpr char16_t kModulePathOption[] = u"--module-path=";

// Everything here lives until the process ends and is never destroyed: at exit, a window
// thread of the Java side may already be gone, and a destructor waiting for it would hang.
struct ProcessVm {
  std::mutex lock;
  std::string switchProblem; // before switches, which are read into it
  standin::JvmSwitches switches;
  jnifake::JniReport report;
  jnifake::FakeJvm* jvm = nullptr;
  standin::JavaSide* javaSide = nullptr;

  ProcessVm()
      : switches(standin::readJvmSwitches(switchProblem)),
        report([path = switches.reportPath](const std::string& text) { standin::replaceReportFile(path, text); }) {}
};

ProcessVm& processVm() {
  static ProcessVm* created = new ProcessVm();
  return *created;
}

jnifake::JsonValue hexVersion(jint version) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(version));
  return jnifake::JsonValue::text(jnifake::fromModifiedUtf8(text));
}

std::vector<std::u16string> optionTexts(const JavaVMInitArgs& initArgs) {
  std::vector<std::u16string> options;
  for (jint index = 0; index < initArgs.nOptions; ++index) {
    const char* option = initArgs.options[index].optionString;
    options.push_back(option ? jnifake::fromAnsi(option) : u"");
  }
  return options;
}

// The value of the last option that begins with prefix, as a real VM takes the last
// definition.
std::wstring lastOptionValue(const std::vector<std::u16string>& options, const std::u16string& prefix) {
  std::u16string value;
  for (const std::u16string& option : options)
    if (option.rfind(prefix, 0) == 0)
      value = option.substr(prefix.size());
  return std::wstring(value.begin(), value.end());
}

// Where classes are found: the class path, then the module path, whose jars serve their
// classes as modular jars do (a directory of modules is searched as a class directory).
std::vector<std::wstring> classSearchPath(const std::vector<std::u16string>& options) {
  std::vector<std::wstring> entries = jnifake::classPathEntries(lastOptionValue(options, kClassPathOption));
  for (std::wstring& entry : jnifake::classPathEntries(lastOptionValue(options, kModulePathOption)))
    entries.push_back(std::move(entry));
  return entries;
}

// Why creation fails, or JNI_OK.
jint creationResult(ProcessVm& process, const JavaVMInitArgs* initArgs, std::string& problem) {
  if (!initArgs)
    problem = "no arguments";
  else if (!process.switchProblem.empty())
    problem = process.switchProblem;
  else if (process.switches.failCreate)
    problem = "LNX_JVM_FAIL_CREATE";
  else if (process.jvm)
    return JNI_EEXIST;
  else if (!jnifake::isSupportedJniVersion(initArgs->version))
    return JNI_EVERSION;
  return problem.empty() ? JNI_OK : JNI_ERR;
}

jint createJavaVm(JavaVM** pvm, void** penv, const JavaVMInitArgs* initArgs) {
  ProcessVm& process = processVm();
  std::lock_guard<std::mutex> locked(process.lock);
  std::vector<std::u16string> options = initArgs ? optionTexts(*initArgs) : std::vector<std::u16string>();
  jnifake::JsonValue optionList = jnifake::JsonValue::array();
  for (const std::u16string& option : options)
    optionList.push(jnifake::JsonValue::text(option));
  process.report.recordOptions(std::move(optionList));

  std::string problem;
  jint result = creationResult(process, initArgs, problem);
  jnifake::JsonValue event = jnifake::callEvent("createJavaVM");
  if (initArgs) {
    event.set(u"version", hexVersion(initArgs->version));
    event.set(u"ignoreUnrecognized", jnifake::JsonValue::boolean(initArgs->ignoreUnrecognized));
  }
  event.set(u"result", jnifake::JsonValue::number(result));
  if (!problem.empty())
    event.set(u"problem", jnifake::JsonValue::text(jnifake::fromModifiedUtf8(problem)));
  if (result == JNI_OK) {
    jnifake::FakeJvmSetup setup{classSearchPath(options), process.switches.missingClass};
    process.jvm = new jnifake::FakeJvm(setup, process.report);
    process.javaSide = new standin::JavaSide(*process.jvm, process.report, process.switches);
    *pvm = process.jvm->vm();
    *penv = process.jvm->env();
  }
  process.report.recordCall(std::move(event));
  return result;
}

} // namespace

// No exception may leave these functions: their callers are C.

extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  try {
    if (!args)
      return JNI_ERR;
    jint version = static_cast<JavaVMInitArgs*>(args)->version;
    jnifake::JsonValue event = jnifake::callEvent("getDefaultJavaVMInitArgs");
    event.set(u"version", hexVersion(version));
    processVm().report.recordCall(std::move(event));
    return jnifake::isSupportedJniVersion(version) ? JNI_OK : JNI_EVERSION;
  } catch (...) {
    return JNI_ERR;
  }
}

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  *pvm = nullptr;
  *penv = nullptr;
  try {
    return createJavaVm(pvm, penv, static_cast<const JavaVMInitArgs*>(args));
  } catch (...) {
    return JNI_ERR;
  }
}

extern "C" JNIEXPORT jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** vms, jsize bufferLength, jsize* count) {
  try {
    ProcessVm& process = processVm();
    std::lock_guard<std::mutex> locked(process.lock);
    process.report.recordCall(jnifake::callEvent("getCreatedJavaVMs"));
    *count = process.jvm ? 1 : 0;
    if (process.jvm && bufferLength > 0)
      vms[0] = process.jvm->vm();
    return JNI_OK;
  } catch (...) {
    return JNI_ERR;
  }
}
