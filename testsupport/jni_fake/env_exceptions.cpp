// The pending exception: only Java code behind a static call (the static call hook)
// raises one. Describing and clearing it are recorded, as the launcher's error path is
// what a test of a throwing main looks at.
#include "env_functions.h"
#include "java_values.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

jthrowable JNICALL exceptionOccurred(JNIEnv* env) {
  return jniEntry(env, "ExceptionOccurred", jthrowable(), [&](VmState& vm) {
    return static_cast<jthrowable>(vm.heap.reference(vm.pendingException));
  });
}

jboolean JNICALL exceptionCheck(JNIEnv* env) {
  return jniEntry(env, "ExceptionCheck", jboolean(JNI_FALSE), [&](VmState& vm) -> jboolean {
    return vm.pendingException ? JNI_TRUE : JNI_FALSE;
  });
}

// ExceptionDescribe clears the exception too, as in a real VM.
void takePending(JNIEnv* env, const char* function, const char* eventKind) {
  jniEntry(env, function, [&](VmState& vm) {
    JsonValue event = callEvent(eventKind);
    event.set(u"exception", renderObject(vm.pendingException));
    vm.pendingException = nullptr;
    vm.report.recordCall(std::move(event));
  });
}

void JNICALL exceptionDescribe(JNIEnv* env) { takePending(env, "ExceptionDescribe", "exceptionDescribe"); }
void JNICALL exceptionClear(JNIEnv* env) { takePending(env, "ExceptionClear", "exceptionClear"); }

} // namespace

void installExceptionFunctions(JNINativeInterface_& table) {
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionCheck = exceptionCheck;
  table.ExceptionDescribe = exceptionDescribe;
  table.ExceptionClear = exceptionClear;
}

} // namespace jnifake
