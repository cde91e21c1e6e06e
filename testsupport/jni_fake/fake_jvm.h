#pragma once
// A Java VM without bytecode, behind the real JNI function tables: it knows the classes of
// its class path from their class files, answers the JNI functions the launcher and its
// natives use as a real VM would, and records what it received in a JniReport. Every
// other JNI function is recorded as unsupported and returns 0 or null.
//
// jvm.dll of the stand-in runtime is one FakeJvm behind JNI_CreateJavaVM; Windows unit
// tests of natives create one directly and hand its env() to the native functions.
#include <jni.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jni_report.h"
#include "json_value.h"

namespace jnifake {

struct FakeJvmSetup {
  std::vector<std::wstring> classPath; // directories and jars, searched in this order
  std::string hiddenClass;             // an internal name FindClass never finds
};

// A static method call, as the Java code behind it would see it.
struct StaticCall {
  std::string className;
  std::string method;
  std::string descriptor;
  JsonValue arguments; // as recorded in the report
};

struct VmState;

class FakeJvm {
public:
  FakeJvm(const FakeJvmSetup& setup, JniReport& report);
  ~FakeJvm();
  FakeJvm(const FakeJvm&) = delete;
  FakeJvm& operator=(const FakeJvm&) = delete;

  JNIEnv* env();
  JavaVM* vm();
  // The fake VM whose env() this is.
  static FakeJvm& owning(JNIEnv* env);

  // Stand-ins for the Java side. The static call hook runs inside every static method
  // call other than System.setProperty, after the call is recorded; the destroy hook runs
  // inside DestroyJavaVM before it returns. Both run with the VM locked.
  void onStaticCall(std::function<void(const StaticCall&)> hook);
  void onDestroy(std::function<void()> hook);

  // Leaves an exception pending whose toString is text, as Java code that throws.
  void throwPending(const std::u16string& text);
  bool exceptionPending();

  // A native method's own local frame, opened as the Java side calls it and closed as it
  // returns: more than 16 live local references in it (without EnsureLocalCapacity or
  // PushLocalFrame) are recorded as invalid, as -Xcheck:jni warns of them.
  void beginNativeFrame();
  void endNativeFrame();
  // While set, every JNI allocation (strings, arrays, objects) fails with an
  // OutOfMemoryError pending, as on a VM whose heap is exhausted.
  void failAllocations(bool fail);

  // Java strings for tests of natives: a new local reference, and the characters of one
  // (nothing for a reference that is no live string).
  jstring newString(const std::u16string& text);
  std::optional<std::u16string> stringText(jobject reference);

  // Objects for tests of natives, as Java code would pass them: new local references.
  // newInteger builds a java/lang/Integer as its (I)V constructor does; a null text of
  // newStringArray is a null element.
  jobject newInteger(jint value);
  jbyteArray newByteArray(const std::vector<jbyte>& bytes);
  jintArray newIntArray(const std::vector<jint>& values);
  jbooleanArray newBooleanArray(const std::vector<bool>& values);
  jobjectArray newStringArray(const std::vector<std::optional<std::u16string>>& texts);
  // Any object as the report shows it; null for null or a reference that is not live.
  JsonValue describe(jobject reference);

  // The function RegisterNatives bound to a native method, or null.
  void* registeredNative(const std::string& className, const std::string& name, const std::string& descriptor);
  // GetStringChars and GetStringUTFChars results not released yet.
  size_t unreleasedTexts();
  // Get<Type>ArrayElements copies not released (or only committed) yet.
  size_t unreleasedArrays();

private:
  std::unique_ptr<VmState> state_;
};

// Whether the calling thread is running the fake VM's own code (a JNI function or a
// FakeJvm method): tests that make the C++ heap fail let the VM's allocations through.
bool insideFakeVm();

// The entries of a java.class.path value: ';'-separated, empty ones left out.
std::vector<std::wstring> classPathEntries(const std::wstring& value);

// The JNI versions this VM answers to: 1.2 up to 10.
bool isSupportedJniVersion(jint version);

} // namespace jnifake
