// The JavaVM side: one environment serves every thread, so attaching hands out that one.
#include "jni_entry.h"

namespace jnifake {

namespace {

jint JNICALL destroyJavaVM(JavaVM* javaVm) {
  return jniEntry(javaVm, "DestroyJavaVM", jint(JNI_ERR), [&](VmState& vm) -> jint {
    if (vm.destroyed) {
      vm.recordInvalid("DestroyJavaVM", "a VM destroyed before");
      return JNI_ERR;
    }
    // Returns, like a real VM, only once the Java side has finished (the hook waits).
    if (vm.destroyHook)
      vm.destroyHook();
    vm.destroyed = true;
    vm.report.recordDestroyed(callEvent("destroyJavaVM"));
    return JNI_OK;
  });
}

jint JNICALL attachCurrentThread(JavaVM* javaVm, void** env, void*) {
  return jniEntry(javaVm, "AttachCurrentThread", jint(JNI_ERR), [&](VmState& vm) -> jint {
    *env = &vm.envBlock;
    return JNI_OK;
  });
}

jint JNICALL detachCurrentThread(JavaVM*) { return JNI_OK; }

jint JNICALL getEnv(JavaVM* javaVm, void** env, jint version) {
  return jniEntry(javaVm, "GetEnv", jint(JNI_ERR), [&](VmState& vm) -> jint {
    bool supported = isSupportedJniVersion(version);
    *env = supported ? &vm.envBlock : nullptr;
    return supported ? JNI_OK : JNI_EVERSION;
  });
}

JNIInvokeInterface_ buildTable() {
  JNIInvokeInterface_ table{};
  table.DestroyJavaVM = destroyJavaVM;
  table.AttachCurrentThread = attachCurrentThread;
  table.DetachCurrentThread = detachCurrentThread;
  table.GetEnv = getEnv;
  table.AttachCurrentThreadAsDaemon = attachCurrentThread;
  return table;
}

} // namespace

const JNIInvokeInterface_* invokeInterface() {
  static const JNIInvokeInterface_ table = buildTable();
  return &table;
}

} // namespace jnifake
