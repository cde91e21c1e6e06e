#include <windows.h>

#include <mutex>

#include "base/system_dlls.h"
#include "natives/native_helpers.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

std::mutex shellLock;
ShellFunctions loadedShell;

} // namespace

std::optional<std::wstring> javaStringToWide(JNIEnv* env, jstring string) {
  if (!string)
    return std::nullopt;
  jsize length = env->GetStringLength(string);
  const jchar* characters = checked(env, env->GetStringChars(string, nullptr));
  struct Release { // also when the copy throws
    JNIEnv* env;
    jstring string;
    const jchar* characters;
    ~Release() { env->ReleaseStringChars(string, characters); }
  } release{env, string, characters};
  return std::wstring(reinterpret_cast<const wchar_t*>(characters), static_cast<size_t>(length));
}

std::optional<std::vector<std::optional<std::wstring>>> javaStringArrayToWide(JNIEnv* env, jobjectArray array) {
  if (!array)
    return std::nullopt;
  std::vector<std::optional<std::wstring>> texts;
  for (jsize index = 0, count = env->GetArrayLength(array); index < count; ++index) {
    auto element = static_cast<jstring>(env->GetObjectArrayElement(array, index));
    texts.push_back(javaStringToWide(env, element));
    env->DeleteLocalRef(element);
  }
  return texts;
}

jstring newJavaString(JNIEnv* env, std::wstring_view text) {
  return checked(env, env->NewString(reinterpret_cast<const jchar*>(text.data()), static_cast<jsize>(text.size())));
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::optional<std::wstring>>& texts) {
  jclass stringClass = checked(env, env->FindClass("java/lang/String"));
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
  env->DeleteLocalRef(stringClass);
  checked(env, array);
  for (size_t index = 0; index < texts.size(); ++index) {
    if (!texts[index])
      continue;
    jstring element = newJavaString(env, *texts[index]);
    env->SetObjectArrayElement(array, static_cast<jsize>(index), element);
    env->DeleteLocalRef(element);
  }
  return array;
}

bool loadShellFunctions() {
  std::lock_guard<std::mutex> locked(shellLock);
  if (loadedShell.changeNotify && loadedShell.shellExecute)
    return true;
  preloadSystemDlls();
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell)
    return false;
  loadedShell.changeNotify = procedureOf<ShChangeNotifyFunction>(shell, "SHChangeNotify");
  loadedShell.shellExecute = procedureOf<ShellExecuteWFunction>(shell, "ShellExecuteW");
  return loadedShell.changeNotify && loadedShell.shellExecute;
}

ShellFunctions shellFunctions() {
  std::lock_guard<std::mutex> locked(shellLock);
  return loadedShell;
}

} // namespace lnx
