// Local references and their frames: DeleteLocalRef, PushLocalFrame, PopLocalFrame and
// EnsureLocalCapacity. Every reference the fake VM hands out is local and lives until it
// is deleted or its frame is popped.
#include "env_functions.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

void JNICALL deleteLocalRef(JNIEnv* env, jobject reference) {
  jniEntry(env, "DeleteLocalRef", [&](VmState& vm) {
    // Deleting null is allowed; deleting twice or a foreign handle is recorded.
    if (reference && vm.object("DeleteLocalRef", reference))
      vm.heap.release(reference);
  });
}

jint JNICALL pushLocalFrame(JNIEnv* env, jint capacity) {
  return jniEntry(env, "PushLocalFrame", jint(JNI_ERR), [&](VmState& vm) -> jint {
    if (capacity < 0) {
      vm.recordInvalid("PushLocalFrame", "a negative capacity");
      return JNI_ERR;
    }
    vm.heap.pushFrame(static_cast<size_t>(capacity), true);
    return JNI_OK;
  });
}

// The result survives as a new reference in the frame below.
jobject JNICALL popLocalFrame(JNIEnv* env, jobject result) {
  return jniEntry(env, "PopLocalFrame", jobject(), [&](VmState& vm) -> jobject {
    if (!vm.heap.innermostFramePushed()) {
      vm.recordInvalid("PopLocalFrame", "no frame of PushLocalFrame to pop");
      return nullptr;
    }
    JavaObject* kept = vm.object("PopLocalFrame", result);
    vm.heap.popFrame(true);
    return vm.heap.reference(kept);
  });
}

jint JNICALL ensureLocalCapacity(JNIEnv* env, jint capacity) {
  return jniEntry(env, "EnsureLocalCapacity", jint(JNI_ERR), [&](VmState& vm) -> jint {
    if (capacity < 0) {
      vm.recordInvalid("EnsureLocalCapacity", "a negative capacity");
      return JNI_ERR;
    }
    vm.heap.ensureCapacity(static_cast<size_t>(capacity));
    return JNI_OK;
  });
}

} // namespace

void installReferenceFunctions(JNINativeInterface_& table) {
  table.DeleteLocalRef = deleteLocalRef;
  table.PushLocalFrame = pushLocalFrame;
  table.PopLocalFrame = popLocalFrame;
  table.EnsureLocalCapacity = ensureLocalCapacity;
}

} // namespace jnifake
