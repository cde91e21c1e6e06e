#pragma once
// Inside the fake VM: the state every JNI function works on, reached from the JNIEnv or
// JavaVM pointer a caller passes (both point to a block that carries the state after the
// function table), and the checks the functions share.
#include <jni.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "class_registry.h"
#include "fake_jvm.h"
#include "java_heap.h"
#include "jni_report.h"

namespace jnifake {

// The VM's lock (recursive: natives and hooks call back in); the thread that holds it is
// inside the fake VM (insideFakeVm).
class VmLock {
public:
  void lock();
  void unlock();

private:
  std::recursive_mutex mutex_;
};

struct EnvBlock {
  const JNINativeInterface_* functions; // first, as JNIEnv expects
  VmState* vm;
};

struct VmBlock {
  const JNIInvokeInterface_* functions; // first, as JavaVM expects
  VmState* vm;
};

struct RegisteredNative {
  std::string className;
  std::string name;
  std::string descriptor;
  void* function = nullptr;
};

struct VmState {
  VmState(const FakeJvmSetup& setup, JniReport& report);

  // Objects and their text.
  JavaObject* classObject(const LoadedClass& type);
  JavaObject* newString(std::u16string text);
  JavaObject* newObjectArray(std::string elementClass, std::vector<JavaObject*> elements);
  JavaObject* newPrimitiveArray(char elementType, std::vector<jlong> values);
  JavaObject* newInstance(const LoadedClass& type, std::vector<KeptArgument> arguments);
  std::u16string toStringOf(const JavaObject& object) const;
  // Leaves an exception of the named built-in class pending whose toString is text.
  void raise(const char* className, std::u16string text);
  // The same with the toString a real VM gives: the class's binary name, ": ", message.
  void raiseWithMessage(const char* className, const std::string& message);

  // A caller's reference resolved; a deleted or foreign one is recorded as invalid use
  // by function. Null when it is null or invalid; the typed forms also when the object is
  // of another kind, which is recorded too.
  JavaObject* object(const char* function, jobject reference);
  const LoadedClass* classOf(const char* function, jclass reference);
  JavaObject* stringOf(const char* function, jstring reference);
  JavaObject* arrayOf(const char* function, jarray reference); // of any element type
  JavaObject* objectArrayOf(const char* function, jobjectArray reference);
  JavaObject* primitiveArrayOf(const char* function, jarray reference, char elementType);
  // Method and field IDs this VM issued, of the wanted static-ness; others recorded.
  const LoadedMember* methodOf(const char* function, jmethodID id, bool isStatic);
  const LoadedMember* fieldOf(const char* function, jfieldID id, bool isStatic);

  void recordInvalid(const char* function, const std::string& problem);
  // Before a JNI function runs: a call JNI forbids while an exception is pending.
  void checkNothingPending(const char* function);
  // After it ran: the innermost local frame holds more references than it may.
  void checkLocalCapacity(const char* function);
  // An allocation that fails (allocationsFail): OutOfMemoryError raised, true returned.
  bool allocationFailed(const char* function);
  // An exception escaped a function body: recorded as invalid, never thrown on.
  void recordFailure(const char* function) noexcept;

  VmLock lock;
  JniReport& report;
  ClassRegistry classes;
  JavaHeap heap;
  JavaObject* pendingException = nullptr;
  bool allocationsFail = false;
  FakeJvm* owner = nullptr;
  bool destroyed = false;
  std::map<const void*, std::unique_ptr<std::u16string>> pinnedChars;
  std::map<const void*, std::unique_ptr<std::string>> pinnedUtf;
  // Get<Type>ArrayElements copies not released yet, by their address.
  struct PinnedElements {
    JavaObject* array = nullptr;
    std::vector<unsigned char> storage;
  };
  std::map<const void*, PinnedElements> pinnedArrays;
  std::map<std::u16string, std::u16string> properties;
  std::vector<RegisteredNative> natives;
  std::set<const LoadedMember*> issuedMethods;
  std::set<const LoadedMember*> issuedFields;
  std::map<const LoadedClass*, JavaObject*> classObjects;
  std::function<void(const StaticCall&)> staticCallHook;
  std::function<void()> destroyHook;
  EnvBlock envBlock;
  VmBlock vmBlock;
};

VmState& vmOf(JNIEnv* env);
VmState& vmOf(JavaVM* vm);

// The value of a java/lang/Integer: the argument of the (I)V constructor that built it.
jint integerValue(const JavaObject& integer);

// The report's text of a name or descriptor (modified UTF-8).
JsonValue nameText(const std::string& name);
// A member described for the report: "class", nameKey ("method", "field") and
// "descriptor" added to event.
void describeMember(JsonValue& event, const LoadedMember& member, const char16_t* nameKey);

// The function tables, filled once.
const JNINativeInterface_* nativeInterface();
const JNIInvokeInterface_* invokeInterface();

} // namespace jnifake
