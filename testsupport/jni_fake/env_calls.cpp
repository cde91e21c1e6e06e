// Calls into Java: static methods returning void or an object, instance methods returning
// an object (toString of an exception) or an int (Integer.intValue), and constructors
// through NewObject. Each call is recorded with its arguments; System.setProperty keeps
// the property, toString answers with the object's text, intValue with the value the
// Integer was built with, NewObject with an instance that keeps its constructor's
// arguments, and every other static call goes to the static call hook, the stand-in for
// the Java code behind it. Other instance methods answer null or 0.
#include <functional>
#include <optional>

#include "builtin_classes.h"
#include "env_functions.h"
#include "java_values.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

enum class Call { staticVoid, staticObject, instanceObject, instanceInt, constructor };

// Reads the arguments once the method, and so their types, are known.
using ArgumentReader = std::function<std::optional<std::vector<jvalue>>(const MethodShape&)>;

ArgumentReader fromList(va_list& arguments) {
  return [&arguments](const MethodShape& shape) { return readArguments(shape, arguments); };
}

ArgumentReader fromArray(const jvalue* arguments) {
  return [arguments](const MethodShape& shape) -> std::optional<std::vector<jvalue>> {
    if (!arguments && !shape.parameters.empty())
      return std::nullopt;
    return std::vector<jvalue>(arguments, arguments + shape.parameters.size());
  };
}

bool returnsAsCalled(const MethodShape& shape, Call call) {
  switch (call) {
  case Call::staticVoid:
  case Call::constructor:
    return shape.result == "V";
  case Call::instanceInt:
    return shape.result == "I";
  case Call::staticObject:
  case Call::instanceObject:
    break;
  }
  return shape.result[0] == 'L' || shape.result[0] == '[';
}

const char* eventKind(Call call) {
  switch (call) {
  case Call::staticVoid:
  case Call::staticObject:
    return "callStatic";
  case Call::constructor:
    return "newObject";
  case Call::instanceObject:
  case Call::instanceInt:
    break;
  }
  return "call";
}

bool isInstance(const JavaObject& object, const LoadedClass& type) {
  if (type.name == kObjectClass)
    return true;
  for (const LoadedClass* current = object.knownClass(); current; current = current->superClass)
    if (current == &type)
      return true;
  return false;
}

bool isMember(const LoadedMember& method, const char* owner, const char* name, const char* descriptor) {
  return method.owner->name == owner && method.member.name == name && method.member.descriptor == descriptor;
}

JavaObject* setProperty(VmState& vm, const char* function, JsonValue event, const std::vector<jvalue>& values) {
  // Java throws for a null key or value; both are recorded as invalid use.
  JavaObject* key = vm.stringOf(function, static_cast<jstring>(values[0].l));
  JavaObject* value = vm.stringOf(function, static_cast<jstring>(values[1].l));
  if (!key || !value)
    return nullptr;
  auto previous = vm.properties.find(key->text);
  JavaObject* result = previous == vm.properties.end() ? nullptr : vm.newString(previous->second);
  vm.properties[key->text] = value->text;
  vm.report.recordCall(std::move(event), report::kProperties, key->text, JsonValue::text(value->text));
  return result;
}

// The checks every call shares; the method and its arguments when the call can go ahead.
struct CheckedCall {
  const LoadedMember* method = nullptr;
  MethodShape shape;
  std::vector<jvalue> values;
  JsonValue event;
  JavaObject* receiver = nullptr; // of an instance call
};

std::optional<CheckedCall> checkCall(VmState& vm, const char* function, const LoadedMember* method, Call call,
                                     const ArgumentReader& read) {
  if (!method)
    return std::nullopt;
  std::optional<MethodShape> shape = methodShape(method->member.descriptor);
  if (!shape || !returnsAsCalled(*shape, call)) {
    vm.recordInvalid(function, "a method returning " + method->member.descriptor);
    return std::nullopt;
  }
  std::optional<std::vector<jvalue>> values = read(*shape);
  if (!values) {
    vm.recordInvalid(function, "no argument array");
    return std::nullopt;
  }
  JsonValue event = callEvent(eventKind(call));
  event.set(u"function", nameText(function));
  describeMember(event, *method, u"method");
  event.set(u"arguments", renderArguments(vm, function, *shape, values->data()));
  return CheckedCall{method, std::move(*shape), std::move(*values), std::move(event)};
}

JavaObject* callStatic(VmState& vm, const char* function, jclass clazz, jmethodID id, Call call,
                       const ArgumentReader& read) {
  if (!vm.classOf(function, clazz))
    return nullptr;
  std::optional<CheckedCall> checked = checkCall(vm, function, vm.methodOf(function, id, true), call, read);
  if (!checked)
    return nullptr;
  const ClassMember& member = checked->method->member;
  if (isMember(*checked->method, kSystemClass, kSetPropertyName, kSetPropertyDescriptor))
    return setProperty(vm, function, std::move(checked->event), checked->values);
  StaticCall seen{checked->method->owner->name, member.name, member.descriptor, *checked->event.find(u"arguments")};
  vm.report.recordCall(std::move(checked->event));
  if (vm.staticCallHook)
    vm.staticCallHook(seen);
  return nullptr;
}

std::optional<CheckedCall> checkInstanceCall(VmState& vm, const char* function, jobject receiver, jmethodID id,
                                             Call call, const ArgumentReader& read) {
  JavaObject* target = vm.object(function, receiver);
  if (!target) {
    if (!receiver)
      vm.recordInvalid(function, "a null receiver");
    return std::nullopt;
  }
  std::optional<CheckedCall> checked = checkCall(vm, function, vm.methodOf(function, id, false), call, read);
  if (!checked)
    return std::nullopt;
  if (!isInstance(*target, *checked->method->owner)) {
    vm.recordInvalid(function, "a receiver that is no " + checked->method->owner->name);
    return std::nullopt;
  }
  checked->event.set(u"receiver", renderObject(target));
  checked->receiver = target;
  return checked;
}

JavaObject* callObjectMethodOf(VmState& vm, const char* function, jobject receiver, jmethodID id,
                               const ArgumentReader& read) {
  std::optional<CheckedCall> checked = checkInstanceCall(vm, function, receiver, id, Call::instanceObject, read);
  if (!checked)
    return nullptr;
  JavaObject* result = nullptr;
  if (checked->method->member.name == kToStringName && checked->method->member.descriptor == kToStringDescriptor)
    result = vm.newString(vm.toStringOf(*checked->receiver));
  checked->event.set(u"result", renderObject(result));
  vm.report.recordCall(std::move(checked->event));
  return result;
}

jint callIntMethodOf(VmState& vm, const char* function, jobject receiver, jmethodID id, const ArgumentReader& read) {
  std::optional<CheckedCall> checked = checkInstanceCall(vm, function, receiver, id, Call::instanceInt, read);
  if (!checked)
    return 0;
  jint result = 0;
  if (isMember(*checked->method, kIntegerClass, kIntValueName, kIntValueDescriptor))
    result = integerValue(*checked->receiver);
  checked->event.set(u"result", JsonValue::number(result));
  vm.report.recordCall(std::move(checked->event));
  return result;
}

// NewObject: only with a constructor the class itself declares, as a real VM checks.
JavaObject* construct(VmState& vm, const char* function, jclass clazz, jmethodID id, const ArgumentReader& read) {
  const LoadedClass* type = vm.classOf(function, clazz);
  if (!type)
    return nullptr;
  const LoadedMember* constructor = vm.methodOf(function, id, false);
  if (!constructor)
    return nullptr;
  if (constructor->member.name != kConstructorName || constructor->owner != type) {
    vm.recordInvalid(function, "a method ID that is no constructor of " + type->name);
    return nullptr;
  }
  std::optional<CheckedCall> checked = checkCall(vm, function, constructor, Call::constructor, read);
  if (!checked)
    return nullptr;
  JavaObject* built = vm.newInstance(*type, keptArguments(vm, checked->shape, checked->values.data()));
  vm.report.recordCall(std::move(checked->event));
  return built;
}

jobject invoke(JNIEnv* env, const char* function, jobject target, jmethodID id, Call call,
               const ArgumentReader& read) {
  return jniEntry(env, function, jobject(), [&](VmState& vm) {
    JavaObject* result = call == Call::instanceObject
                             ? callObjectMethodOf(vm, function, target, id, read)
                             : callStatic(vm, function, static_cast<jclass>(target), id, call, read);
    return vm.heap.reference(result);
  });
}

jint invokeInt(JNIEnv* env, const char* function, jobject receiver, jmethodID id, const ArgumentReader& read) {
  return jniEntry(env, function, jint(),
                  [&](VmState& vm) { return callIntMethodOf(vm, function, receiver, id, read); });
}

jobject invokeConstructor(JNIEnv* env, const char* function, jclass clazz, jmethodID id, const ArgumentReader& read) {
  return jniEntry(env, function, jobject(),
                  [&](VmState& vm) -> jobject {
                    JavaObject* built = construct(vm, function, clazz, id, read);
                    if (!built || vm.allocationFailed(function))
                      return nullptr;
                    return vm.heap.reference(built);
                  });
}

void JNICALL callStaticVoidMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list arguments) {
  invoke(env, "CallStaticVoidMethodV", clazz, id, Call::staticVoid, fromList(arguments));
}

void JNICALL callStaticVoidMethodA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* arguments) {
  invoke(env, "CallStaticVoidMethodA", clazz, id, Call::staticVoid, fromArray(arguments));
}

void JNICALL callStaticVoidMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list arguments;
  va_start(arguments, id);
  invoke(env, "CallStaticVoidMethod", clazz, id, Call::staticVoid, fromList(arguments));
  va_end(arguments);
}

jobject JNICALL callStaticObjectMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list arguments) {
  return invoke(env, "CallStaticObjectMethodV", clazz, id, Call::staticObject, fromList(arguments));
}

jobject JNICALL callStaticObjectMethodA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* arguments) {
  return invoke(env, "CallStaticObjectMethodA", clazz, id, Call::staticObject, fromArray(arguments));
}

jobject JNICALL callStaticObjectMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list arguments;
  va_start(arguments, id);
  jobject result = invoke(env, "CallStaticObjectMethod", clazz, id, Call::staticObject, fromList(arguments));
  va_end(arguments);
  return result;
}

jobject JNICALL callObjectMethodV(JNIEnv* env, jobject object, jmethodID id, va_list arguments) {
  return invoke(env, "CallObjectMethodV", object, id, Call::instanceObject, fromList(arguments));
}

jobject JNICALL callObjectMethodA(JNIEnv* env, jobject object, jmethodID id, const jvalue* arguments) {
  return invoke(env, "CallObjectMethodA", object, id, Call::instanceObject, fromArray(arguments));
}

jobject JNICALL callObjectMethod(JNIEnv* env, jobject object, jmethodID id, ...) {
  va_list arguments;
  va_start(arguments, id);
  jobject result = invoke(env, "CallObjectMethod", object, id, Call::instanceObject, fromList(arguments));
  va_end(arguments);
  return result;
}

jint JNICALL callIntMethodV(JNIEnv* env, jobject object, jmethodID id, va_list arguments) {
  return invokeInt(env, "CallIntMethodV", object, id, fromList(arguments));
}

jint JNICALL callIntMethodA(JNIEnv* env, jobject object, jmethodID id, const jvalue* arguments) {
  return invokeInt(env, "CallIntMethodA", object, id, fromArray(arguments));
}

jint JNICALL callIntMethod(JNIEnv* env, jobject object, jmethodID id, ...) {
  va_list arguments;
  va_start(arguments, id);
  jint result = invokeInt(env, "CallIntMethod", object, id, fromList(arguments));
  va_end(arguments);
  return result;
}

jobject JNICALL newObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list arguments) {
  return invokeConstructor(env, "NewObjectV", clazz, id, fromList(arguments));
}

jobject JNICALL newObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* arguments) {
  return invokeConstructor(env, "NewObjectA", clazz, id, fromArray(arguments));
}

jobject JNICALL newObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list arguments;
  va_start(arguments, id);
  jobject result = invokeConstructor(env, "NewObject", clazz, id, fromList(arguments));
  va_end(arguments);
  return result;
}

} // namespace

void installCallFunctions(JNINativeInterface_& table) {
  table.CallStaticVoidMethod = callStaticVoidMethod;
  table.CallStaticVoidMethodV = callStaticVoidMethodV;
  table.CallStaticVoidMethodA = callStaticVoidMethodA;
  table.CallStaticObjectMethod = callStaticObjectMethod;
  table.CallStaticObjectMethodV = callStaticObjectMethodV;
  table.CallStaticObjectMethodA = callStaticObjectMethodA;
  table.CallObjectMethod = callObjectMethod;
  table.CallObjectMethodV = callObjectMethodV;
  table.CallObjectMethodA = callObjectMethodA;
  table.CallIntMethod = callIntMethod;
  table.CallIntMethodV = callIntMethodV;
  table.CallIntMethodA = callIntMethodA;
  table.NewObject = newObject;
  table.NewObjectV = newObjectV;
  table.NewObjectA = newObjectA;
}

} // namespace jnifake
