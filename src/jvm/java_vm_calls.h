#pragma once
// The launcher's calls into a created Java VM, through JNI only, so that they run against
// a real VM in host tests as well as in the launcher. Failures are logged with the
// launcher's own texts; nothing here ends the process.
#include <jni.h>

#include <string>
#include <vector>

namespace lnx {

jstring newJavaString(JNIEnv* env, const std::wstring& text);
std::wstring javaStringText(JNIEnv* env, jstring text);

struct SplashConfig {
  bool splashFlag = false;
  std::string line1Text, line1Colour, line2Text, line2Colour;
  int line1[4] = {0, 0, 0, 0}; // first, second, third, fourth number
  int line2[4] = {0, 0, 0, 0};
};
// initAwtSplashConfig of com/morva/runtime/WinLauncher.
void passSplashConfig(JNIEnv* env, const SplashConfig& splash);

// Calls Common.initFromLauncher with value; false when the class or method is missing.
bool initFromLauncher(JNIEnv* env, jboolean value);

// WinDel.externalExecutable = the executable's path (for the temp-cleanup mode).
void setExternalExecutable(JNIEnv* env, const std::wstring& modulePath);

// System.setProperty("morva.moduleName", the executable's long path).
void setModuleNameProperty(JNIEnv* env, const std::wstring& longModulePath);

enum class MainOutcome { Returned, Threw, ClassMissing, MethodMissing, ParameterArrayFailed, StringFailed };
// Finds the launcher class ("." turned into "/") and calls its static main with the
// parameters; Threw when an exception was pending afterwards (it is logged, described
// and cleared).
MainOutcome callMain(JNIEnv* env, const std::string& launcherClass, const std::vector<std::wstring>& parameters);

// True when no exception is pending; otherwise logs it (and lets the VM print it when
// describe is set), clears it and returns false.
bool checkJavaException(JNIEnv* env, bool describe);

} // namespace lnx
