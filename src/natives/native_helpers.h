#pragma once
// What the native methods share: Java strings as wide texts, process privileges, and the
// shell functions loaded on first use.
#include <jni.h>

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

// A JNI call that gave no result (an allocation or a look-up failed), its Java error already
// cleared: thrown up to the native's boundary (LNX_NATIVE_FAILS_WITH), which returns the
// native's failure result, so no Win32 call ever runs on a text the VM did not hand out.
class JniFailure : public std::exception {
public:
  const char* what() const noexcept override { return "a JNI call gave no result"; }
};

// reference itself; JniFailure, with the pending error cleared, when it is null.
template <typename Reference> Reference checked(JNIEnv* env, Reference reference) {
  if (!reference) {
    env->ExceptionClear();
    throw JniFailure();
  }
  return reference;
}

// The string's characters, embedded NULs included (a Win32 call sees the text up to the
// first of them); nothing for a null string. JniFailure when the VM cannot hand out the
// characters.
std::optional<std::wstring> javaStringToWide(JNIEnv* env, jstring string);

// The text for a Win32 call: null for no string.
inline const wchar_t* wideOrNull(const std::optional<std::wstring>& text) { return text ? text->c_str() : nullptr; }

// The elements of a String array, each as javaStringToWide gives it (a null element as
// nothing); nothing for a null array.
std::optional<std::vector<std::optional<std::wstring>>> javaStringArrayToWide(JNIEnv* env, jobjectArray array);

// A new Java string of the UTF-16 text; JniFailure when the VM cannot create it.
jstring newJavaString(JNIEnv* env, std::wstring_view text);

// A new String array of the texts in order (nothing as a null element). Each string is
// created, stored and its local reference deleted in turn, so any number of texts holds at
// most two references. JniFailure when the VM cannot create the array or a string.
jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::optional<std::wstring>>& texts);

// SHChangeNotify and ShellExecuteW of shell32.dll, loaded once both are found.
using ShChangeNotifyFunction = void(__stdcall*)(long eventId, unsigned flags, const void* item1, const void* item2);
using ShellExecuteWFunction = void*(__stdcall*)(void* window, const wchar_t* verb, const wchar_t* file,
                                                const wchar_t* parameters, const wchar_t* directory, int show);
struct ShellFunctions {
  ShChangeNotifyFunction changeNotify = nullptr;
  ShellExecuteWFunction shellExecute = nullptr;
};

// True when both shell functions are known; loads shell32.dll when they are not yet.
bool loadShellFunctions();
// The functions found by loadShellFunctions (null before it succeeded).
ShellFunctions shellFunctions();

} // namespace lnx
