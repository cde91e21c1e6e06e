// RegisterNatives as a real VM checks it: each record must name a native method that the
// class itself declares with exactly that descriptor. The functions are kept, not called.
#include "builtin_classes.h"
#include "env_functions.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

// Why the record cannot be bound, or null when it can.
const char* rejection(const LoadedClass& type, const JNINativeMethod& record) {
  if (!record.name || !record.signature)
    return "null name or descriptor";
  const LoadedMember* method = ClassRegistry::declaredMethod(type, record.name, record.signature);
  if (!method)
    return "no such method";
  if (!(method->member.access & kAccNative))
    return "not a native method";
  if (!record.fnPtr)
    return "null function";
  return nullptr;
}

JsonValue textOf(const char* name) { return nameText(name ? name : ""); }

JsonValue methodList(const JNINativeMethod* methods, jint count) {
  JsonValue list = JsonValue::array();
  for (jint index = 0; index < count; ++index) {
    JsonValue pair = JsonValue::array();
    pair.push(textOf(methods[index].name));
    pair.push(textOf(methods[index].signature));
    list.push(std::move(pair));
  }
  return list;
}

void keep(VmState& vm, const LoadedClass& type, const JNINativeMethod& record) {
  for (RegisteredNative& known : vm.natives)
    if (known.className == type.name && known.name == record.name && known.descriptor == record.signature) {
      known.function = record.fnPtr;
      return;
    }
  vm.natives.push_back({type.name, record.name, record.signature, record.fnPtr});
}

jint JNICALL registerNatives(JNIEnv* env, jclass clazz, const JNINativeMethod* methods, jint count) {
  const char* function = "RegisterNatives";
  return jniEntry(env, function, jint(JNI_ERR), [&](VmState& vm) -> jint {
    const LoadedClass* type = vm.classOf(function, clazz);
    if (!type)
      return JNI_ERR;
    if (count < 0 || (count > 0 && !methods)) {
      vm.recordInvalid(function, "no method records");
      return JNI_ERR;
    }
    JsonValue event = callEvent("registerNatives");
    event.set(u"class", nameText(type->name));
    event.set(u"methods", methodList(methods, count));
    for (jint index = 0; index < count; ++index) {
      if (const char* reason = rejection(*type, methods[index])) {
        event.set(u"result", JsonValue::number(JNI_ERR));
        JsonValue rejected = JsonValue::object();
        rejected.set(u"class", nameText(type->name));
        rejected.set(u"name", textOf(methods[index].name));
        rejected.set(u"descriptor", textOf(methods[index].signature));
        rejected.set(u"reason", nameText(reason));
        vm.report.recordCall(std::move(event), report::kRejected, std::move(rejected));
        vm.raiseWithMessage(kNoSuchMethodErrorClass, methods[index].name ? methods[index].name : "");
        return JNI_ERR;
      }
    }
    for (jint index = 0; index < count; ++index)
      keep(vm, *type, methods[index]);
    event.set(u"result", JsonValue::number(JNI_OK));
    JsonValue registered = JsonValue::object();
    registered.set(u"class", nameText(type->name));
    registered.set(u"methods", methodList(methods, count));
    vm.report.recordCall(std::move(event), report::kRegistered, std::move(registered));
    return JNI_OK;
  });
}

} // namespace

void installNativeFunctions(JNINativeInterface_& table) { table.RegisterNatives = registerNatives; }

} // namespace jnifake
