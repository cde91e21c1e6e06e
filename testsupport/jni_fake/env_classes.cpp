// Classes and their members: FindClass, GetObjectClass, the ID lookups and the static
// field store the launcher uses to hand a value to the Java side.
#include "builtin_classes.h"
#include "env_functions.h"
#include "java_text.h"
#include "java_values.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

jclass classReference(VmState& vm, const LoadedClass& type) {
  return static_cast<jclass>(vm.heap.reference(vm.classObject(type)));
}

jclass JNICALL findClass(JNIEnv* env, const char* name) {
  return jniEntry(env, "FindClass", jclass(), [&](VmState& vm) -> jclass {
    if (!name) {
      vm.recordInvalid("FindClass", "a null class name");
      return nullptr;
    }
    const LoadedClass* found = vm.classes.find(name);
    JsonValue event = callEvent("findClass");
    event.set(u"class", nameText(name));
    event.set(u"found", JsonValue::boolean(found));
    vm.report.recordCall(std::move(event));
    if (!found) {
      vm.raiseWithMessage(kNoClassDefFoundErrorClass, name);
      return nullptr;
    }
    return classReference(vm, *found);
  });
}

jclass JNICALL getObjectClass(JNIEnv* env, jobject object) {
  return jniEntry(env, "GetObjectClass", jclass(), [&](VmState& vm) -> jclass {
    JavaObject* resolved = vm.object("GetObjectClass", object);
    if (!resolved) {
      if (!object)
        vm.recordInvalid("GetObjectClass", "a null object");
      return nullptr;
    }
    const LoadedClass* type = resolved->knownClass();
    if (!type) {
      vm.recordInvalid("GetObjectClass", "an object whose class this VM does not know");
      return nullptr;
    }
    return classReference(vm, *type);
  });
}

// The internal name of an array's class, as FindClass takes it.
std::string arrayClassName(const JavaObject& array) {
  if (array.kind == ObjectKind::primitiveArray)
    return std::string("[") + array.elementType;
  const std::string& element = array.elementClass;
  return "[" + (element[0] == '[' ? element : "L" + element + ";");
}

bool isInstance(const JavaObject& object, const LoadedClass& type) {
  if (type.name == kObjectClass)
    return true;
  if (object.kind == ObjectKind::primitiveArray || object.kind == ObjectKind::objectArray)
    return arrayClassName(object) == type.name;
  for (const LoadedClass* own = object.knownClass(); own; own = own->superClass)
    if (own == &type)
      return true;
  return false;
}

jboolean JNICALL isInstanceOf(JNIEnv* env, jobject object, jclass clazz) {
  return jniEntry(env, "IsInstanceOf", jboolean(JNI_FALSE), [&](VmState& vm) -> jboolean {
    const LoadedClass* type = vm.classOf("IsInstanceOf", clazz);
    if (!type)
      return JNI_FALSE;
    if (!object) // null can be cast to any class
      return JNI_TRUE;
    JavaObject* resolved = vm.object("IsInstanceOf", object);
    return resolved && isInstance(*resolved, *type) ? JNI_TRUE : JNI_FALSE;
  });
}

enum class MemberKind { method, field };

// GetMethodID, GetStaticMethodID and GetStaticFieldID: null, with NoSuchMethodError or
// NoSuchFieldError pending, when the class has no such member of the wanted static-ness.
const LoadedMember* lookUpMember(VmState& vm, const char* function, const char* eventKind, jclass clazz,
                                 const char* name, const char* descriptor, MemberKind kind, bool isStatic) {
  const LoadedClass* type = vm.classOf(function, clazz);
  if (!type)
    return nullptr;
  if (!name || !descriptor) {
    vm.recordInvalid(function, "a null name or descriptor");
    return nullptr;
  }
  const LoadedMember* found = kind == MemberKind::method
                                  ? ClassRegistry::findMethod(*type, name, descriptor, isStatic)
                                  : ClassRegistry::findField(*type, name, descriptor, isStatic);
  if (found)
    (kind == MemberKind::method ? vm.issuedMethods : vm.issuedFields).insert(found);
  JsonValue event = callEvent(eventKind);
  event.set(u"class", nameText(type->name));
  event.set(u"name", nameText(name));
  event.set(u"descriptor", nameText(descriptor));
  event.set(u"found", JsonValue::boolean(found));
  vm.report.recordCall(std::move(event));
  if (!found)
    vm.raiseWithMessage(kind == MemberKind::method ? kNoSuchMethodErrorClass : kNoSuchFieldErrorClass, name);
  return found;
}

jmethodID JNICALL getMethodID(JNIEnv* env, jclass clazz, const char* name, const char* descriptor) {
  return jniEntry(env, "GetMethodID", jmethodID(), [&](VmState& vm) {
    auto found = lookUpMember(vm, "GetMethodID", "getMethodID", clazz, name, descriptor, MemberKind::method, false);
    return reinterpret_cast<jmethodID>(const_cast<LoadedMember*>(found));
  });
}

jmethodID JNICALL getStaticMethodID(JNIEnv* env, jclass clazz, const char* name, const char* descriptor) {
  return jniEntry(env, "GetStaticMethodID", jmethodID(), [&](VmState& vm) {
    auto found =
        lookUpMember(vm, "GetStaticMethodID", "getStaticMethodID", clazz, name, descriptor, MemberKind::method, true);
    return reinterpret_cast<jmethodID>(const_cast<LoadedMember*>(found));
  });
}

jfieldID JNICALL getStaticFieldID(JNIEnv* env, jclass clazz, const char* name, const char* descriptor) {
  return jniEntry(env, "GetStaticFieldID", jfieldID(), [&](VmState& vm) {
    auto found =
        lookUpMember(vm, "GetStaticFieldID", "getStaticFieldID", clazz, name, descriptor, MemberKind::field, true);
    return reinterpret_cast<jfieldID>(const_cast<LoadedMember*>(found));
  });
}

void JNICALL setStaticObjectField(JNIEnv* env, jclass clazz, jfieldID fieldID, jobject value) {
  const char* function = "SetStaticObjectField";
  jniEntry(env, function, [&](VmState& vm) {
    const LoadedMember* field = vm.fieldOf(function, fieldID, true);
    if (!vm.classOf(function, clazz) || !field)
      return;
    const std::string& descriptor = field->member.descriptor;
    if (descriptor[0] != 'L' && descriptor[0] != '[') {
      vm.recordInvalid(function, "a field of primitive type " + descriptor);
      return;
    }
    JavaObject* stored = vm.object(function, value);
    if (value && !stored)
      return;
    if (stored && descriptor == std::string("L") + kStringClass + ";" && stored->kind != ObjectKind::string) {
      vm.recordInvalid(function, "an object that is no string for a String field");
      return;
    }
    JsonValue event = callEvent("setStaticField");
    describeMember(event, *field, u"field");
    event.set(u"value", renderObject(stored));
    std::u16string key = fromModifiedUtf8(field->owner->name + "." + field->member.name);
    vm.report.recordCall(std::move(event), report::kStaticFields, key, renderObject(stored));
  });
}

} // namespace

void installClassFunctions(JNINativeInterface_& table) {
  table.FindClass = findClass;
  table.GetObjectClass = getObjectClass;
  table.IsInstanceOf = isInstanceOf;
  table.GetMethodID = getMethodID;
  table.GetStaticMethodID = getStaticMethodID;
  table.GetStaticFieldID = getStaticFieldID;
  table.SetStaticObjectField = setStaticObjectField;
}

} // namespace jnifake
