#include "jvm/java_vm_calls.h"

#include <algorithm>

#include "log/log.h"
#include "text/utf16.h"

namespace lnx {

namespace {

const char kSplashClass[] = "com/morva/runtime/WinLauncher";
const char kSplashSignature[] = "(ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/String;IILjava/lang/String;II)V";
const char kCommonClass[] = "com/lanternix/runtime/installer/platform/win32/Common";
const char kWinDelClass[] = "com/morva/runtime/util/WinDel";

} // namespace

jstring newJavaString(JNIEnv* env, const std::wstring& text) {
  std::string utf16 = encodeUtf16Le(text);
  std::vector<jchar> units(utf16.size() / 2);
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<jchar>(static_cast<uint8_t>(utf16[2 * i]) | (static_cast<uint8_t>(utf16[2 * i + 1]) << 8));
  return env->NewString(units.data(), static_cast<jsize>(units.size()));
}

std::wstring javaStringText(JNIEnv* env, jstring text) {
  if (!text) return std::wstring();
  jsize length = env->GetStringLength(text);
  std::vector<uint8_t> bytes(static_cast<size_t>(length) * 2); // before the chars, which must be released
  const jchar* units = env->GetStringChars(text, nullptr);
  if (!units) return std::wstring();
  for (jsize i = 0; i < length; ++i) {
    bytes[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
  }
  env->ReleaseStringChars(text, units);
  return decodeUtf16Le(bytes.data(), bytes.size());
}

void passSplashConfig(JNIEnv* env, const SplashConfig& splash) {
  jclass launcher = env->FindClass(kSplashClass);
  if (!launcher) {
    logError(L"could not find main class for splash properties");
    return;
  }
  jmethodID init = env->GetStaticMethodID(launcher, "initAwtSplashConfig", kSplashSignature);
  if (!init) {
    logError(L"could not find method for splash properties");
    env->DeleteLocalRef(launcher);
    return;
  }
  jstring texts[4] = {env->NewStringUTF(splash.line1Text.c_str()), env->NewStringUTF(splash.line1Colour.c_str()),
                      env->NewStringUTF(splash.line2Text.c_str()), env->NewStringUTF(splash.line2Colour.c_str())};
  env->CallStaticVoidMethod(launcher, init, JNI_TRUE, splash.splashFlag ? JNI_TRUE : JNI_FALSE, texts[0],
                            splash.line1[0], splash.line1[1], texts[1], splash.line1[2], splash.line1[3], texts[2],
                            splash.line2[0], splash.line2[1], texts[3], splash.line2[2], splash.line2[3]);
  for (jstring text : texts)
    if (text) env->DeleteLocalRef(text);
  env->DeleteLocalRef(launcher);
}

bool initFromLauncher(JNIEnv* env, jboolean value) {
  jclass common = env->FindClass(kCommonClass);
  if (!common) {
    logError(L"did not find %S", kCommonClass);
    return false;
  }
  jmethodID init = env->GetStaticMethodID(common, "initFromLauncher", "(Z)V");
  if (!init) {
    logError(L"did not find initMethod");
    env->DeleteLocalRef(common);
    return false;
  }
  env->CallStaticVoidMethod(common, init, value);
  env->DeleteLocalRef(common);
  return true;
}

void setExternalExecutable(JNIEnv* env, const std::wstring& modulePath) {
  jclass winDel = env->FindClass(kWinDelClass);
  if (!winDel) {
    logError(L"did not find WinDel class");
    return;
  }
  jfieldID field = env->GetStaticFieldID(winDel, "externalExecutable", "Ljava/lang/String;");
  jstring value = nullptr;
  if (!field)
    logError(L"did not find WinDel field");
  else if (modulePath.empty())
    logError(L"could not get module name for WinDel");
  else if (!(value = newJavaString(env, modulePath)))
    logError(L"could not create string for WinDel");
  else
    env->SetStaticObjectField(winDel, field, value);
  env->DeleteLocalRef(value);
  env->DeleteLocalRef(winDel);
}

void setModuleNameProperty(JNIEnv* env, const std::wstring& longModulePath) {
  jclass system = env->FindClass("java/lang/System");
  if (!system) {
    logError(L"could not get system class");
    return;
  }
  jmethodID setProperty =
      env->GetStaticMethodID(system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
  if (!setProperty) {
    logError(L"could not get method for module name init");
    env->DeleteLocalRef(system);
    return;
  }
  // After a failed allocation only the exception functions may be called.
  jstring value = newJavaString(env, longModulePath);
  jstring key = value ? env->NewStringUTF("morva.moduleName") : nullptr;
  if (!value || !key) {
    logError(L"could not create string for init module name");
  } else {
    logPrint(L"setting morva.moduleName to %s", longModulePath);
    env->DeleteLocalRef(env->CallStaticObjectMethod(system, setProperty, key, value));
  }
  env->DeleteLocalRef(key);
  env->DeleteLocalRef(value);
  env->DeleteLocalRef(system);
}

MainOutcome callMain(JNIEnv* env, const std::string& launcherClass, const std::vector<std::wstring>& parameters) {
  std::string className = launcherClass;
  std::replace(className.begin(), className.end(), '.', '/');
  logPrint(L"main class: %S", className);
  jclass mainClass = env->FindClass(className.c_str());
  if (!mainClass) {
    logPrint(L"could not find main class");
    return MainOutcome::ClassMissing;
  }
  jmethodID main = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
  if (!main) {
    logPrint(L"could not find main method");
    return MainOutcome::MethodMissing;
  }
  logPrint(L"param count: %d", static_cast<int>(parameters.size()));
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array =
      stringClass ? env->NewObjectArray(static_cast<jsize>(parameters.size()), stringClass, nullptr) : nullptr;
  if (!array) return MainOutcome::ParameterArrayFailed;
  for (size_t i = 0; i < parameters.size(); ++i) {
    logPrint(L"param %d: %s", static_cast<int>(i), parameters[i]);
    jstring parameter = newJavaString(env, parameters[i]);
    if (!parameter) return MainOutcome::StringFailed;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), parameter);
    env->DeleteLocalRef(parameter);
  }
  logPrint(L"calling main");
  env->CallStaticVoidMethod(mainClass, main, array);
  logPrint(L"main returned");
  return checkJavaException(env, true) ? MainOutcome::Returned : MainOutcome::Threw;
}

namespace {

// toString of the throwable's own class (a String method ID called on a Throwable would
// run String's code on an object that is no string); empty when that fails too.
std::wstring throwableText(JNIEnv* env, jthrowable exception) {
  jclass exceptionClass = env->GetObjectClass(exception);
  jmethodID toString = exceptionClass ? env->GetMethodID(exceptionClass, "toString", "()Ljava/lang/String;") : nullptr;
  jstring text = toString ? static_cast<jstring>(env->CallObjectMethod(exception, toString)) : nullptr;
  std::wstring shown = env->ExceptionCheck() ? std::wstring() : javaStringText(env, text);
  env->ExceptionClear();
  env->DeleteLocalRef(text);
  env->DeleteLocalRef(exceptionClass);
  return shown;
}

} // namespace

bool checkJavaException(JNIEnv* env, bool describe) {
  jthrowable exception = env->ExceptionOccurred();
  if (!exception) return true;
  logError(L"an exception occurred");
  // While it is pending JNI allows only the exception functions: describing it clears it.
  if (describe) env->ExceptionDescribe();
  env->ExceptionClear();
  logError(L"%s", throwableText(env, exception));
  env->DeleteLocalRef(exception);
  return false;
}

} // namespace lnx
