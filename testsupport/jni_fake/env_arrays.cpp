// Object arrays, which the launcher builds the parameters of main in, and the length of
// any array. A store a real VM would refuse (outside the bounds, a non-string into a
// String[]) is recorded instead.
#include "builtin_classes.h"
#include "env_functions.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

bool withinBounds(VmState& vm, const char* function, const JavaObject& array, jsize index) {
  if (index >= 0 && static_cast<size_t>(index) < array.elements.size())
    return true;
  vm.recordInvalid(function, "index " + std::to_string(index) + " outside an array of " +
                                 std::to_string(array.elements.size()));
  return false;
}

jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass elementClass, jobject initial) {
  const char* function = "NewObjectArray";
  return jniEntry(env, function, jobjectArray(), [&](VmState& vm) -> jobjectArray {
    const LoadedClass* element = vm.classOf(function, elementClass);
    if (!element)
      return nullptr;
    if (length < 0) {
      vm.recordInvalid(function, "a negative length");
      return nullptr;
    }
    JavaObject* filler = vm.object(function, initial);
    if ((initial && !filler) || vm.allocationFailed(function))
      return nullptr;
    JavaObject* array = vm.newObjectArray(element->name, std::vector<JavaObject*>(static_cast<size_t>(length), filler));
    return static_cast<jobjectArray>(vm.heap.reference(array));
  });
}

jsize JNICALL getArrayLength(JNIEnv* env, jarray array) {
  return jniEntry(env, "GetArrayLength", jsize(), [&](VmState& vm) -> jsize {
    JavaObject* resolved = vm.arrayOf("GetArrayLength", array);
    return resolved ? static_cast<jsize>(resolved->arrayLength()) : 0;
  });
}

jobject JNICALL getObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
  const char* function = "GetObjectArrayElement";
  return jniEntry(env, function, jobject(), [&](VmState& vm) -> jobject {
    JavaObject* resolved = vm.objectArrayOf(function, array);
    if (!resolved || !withinBounds(vm, function, *resolved, index))
      return nullptr;
    return vm.heap.reference(resolved->elements[static_cast<size_t>(index)]);
  });
}

void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
  const char* function = "SetObjectArrayElement";
  jniEntry(env, function, [&](VmState& vm) {
    JavaObject* resolved = vm.objectArrayOf(function, array);
    if (!resolved || !withinBounds(vm, function, *resolved, index))
      return;
    JavaObject* stored = vm.object(function, value);
    if (value && !stored)
      return;
    if (stored && resolved->elementClass == kStringClass && stored->kind != ObjectKind::string) {
      vm.recordInvalid(function, "an object that is no string into a String array");
      return;
    }
    resolved->elements[static_cast<size_t>(index)] = stored;
  });
}

} // namespace

void installArrayFunctions(JNINativeInterface_& table) {
  table.NewObjectArray = newObjectArray;
  table.GetArrayLength = getArrayLength;
  table.GetObjectArrayElement = getObjectArrayElement;
  table.SetObjectArrayElement = setObjectArrayElement;
}

} // namespace jnifake
