// Local references: only DeleteLocalRef, since every reference the fake VM hands out is
// local and lives until deleted.
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

} // namespace

void installReferenceFunctions(JNINativeInterface_& table) { table.DeleteLocalRef = deleteLocalRef; }

} // namespace jnifake
