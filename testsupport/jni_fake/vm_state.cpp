#include "vm_state.h"

#include <algorithm>
#include <cstdio>

#include "builtin_classes.h"
#include "java_text.h"

namespace jnifake {

VmState::VmState(const FakeJvmSetup& setup, JniReport& report)
    : report(report), classes(setup.classPath, setup.hiddenClass), envBlock{nativeInterface(), this},
      vmBlock{invokeInterface(), this} {}

JavaObject* VmState::classObject(const LoadedClass& type) {
  JavaObject*& known = classObjects[&type];
  if (!known) {
    JavaObject created;
    created.kind = ObjectKind::classObject;
    created.type = &type;
    known = heap.add(std::move(created));
  }
  return known;
}

JavaObject* VmState::newString(std::u16string text) {
  JavaObject created;
  created.kind = ObjectKind::string;
  created.type = classes.find(kStringClass);
  created.text = std::move(text);
  return heap.add(std::move(created));
}

JavaObject* VmState::newObjectArray(std::string elementClass, std::vector<JavaObject*> elements) {
  JavaObject created;
  created.kind = ObjectKind::objectArray;
  created.elementClass = std::move(elementClass);
  created.elements = std::move(elements);
  return heap.add(std::move(created));
}

JavaObject* VmState::newPrimitiveArray(char elementType, std::vector<jlong> values) {
  JavaObject created;
  created.kind = ObjectKind::primitiveArray;
  created.elementType = elementType;
  created.values = std::move(values);
  return heap.add(std::move(created));
}

JavaObject* VmState::newInstance(const LoadedClass& type, std::vector<KeptArgument> arguments) {
  JavaObject created;
  created.kind = ObjectKind::constructed;
  created.type = &type;
  created.arguments = std::move(arguments);
  return heap.add(std::move(created));
}

namespace {

// Object.toString: the class's binary name and an identity, here the object's address.
std::u16string identityText(const std::string& typeName, const JavaObject& object) {
  char identity[32];
  std::snprintf(identity, sizeof identity, "@%p", static_cast<const void*>(&object));
  std::u16string text = fromModifiedUtf8(typeName + identity);
  std::replace(text.begin(), text.end(), u'/', u'.');
  return text;
}

} // namespace

std::u16string VmState::toStringOf(const JavaObject& object) const {
  switch (object.kind) {
  case ObjectKind::string:
  case ObjectKind::throwable:
    return object.text;
  case ObjectKind::classObject:
    return u"class " + fromModifiedUtf8(object.type->name);
  case ObjectKind::objectArray:
    return identityText("[L" + object.elementClass + ";", object);
  case ObjectKind::primitiveArray:
    return identityText(std::string("[") + object.elementType, object);
  case ObjectKind::constructed:
    break;
  }
  if (object.type->name == kIntegerClass)
    return fromModifiedUtf8(std::to_string(integerValue(object)));
  return identityText(object.type->name, object);
}

void VmState::raise(const char* className, std::u16string text) {
  JavaObject thrown;
  thrown.kind = ObjectKind::throwable;
  thrown.type = classes.find(className);
  thrown.text = text;
  pendingException = heap.add(std::move(thrown));
  JsonValue event = callEvent("throw");
  event.set(u"class", nameText(className));
  event.set(u"text", JsonValue::text(std::move(text)));
  report.recordCall(std::move(event));
}

void VmState::raiseWithMessage(const char* className, const std::string& message) {
  std::string binaryName = className;
  std::replace(binaryName.begin(), binaryName.end(), '/', '.');
  raise(className, fromModifiedUtf8(binaryName + ": " + message));
}

namespace {

// What is wrong with a reference that resolves to nothing although it is not null.
const char* referenceProblem(ReferenceState state) {
  switch (state) {
  case ReferenceState::deleted:
    return "a deleted local reference";
  case ReferenceState::unknown:
    return "a reference this VM never issued";
  case ReferenceState::live:
  case ReferenceState::null:
    break;
  }
  return nullptr;
}

template <typename Check>
JavaObject* typedObject(VmState& vm, const char* function, jobject reference, const std::string& wanted,
                        Check isWanted) {
  ReferenceState state;
  JavaObject* resolved = vm.heap.resolve(reference, state);
  if (resolved && isWanted(*resolved))
    return resolved;
  if (const char* problem = referenceProblem(state))
    vm.recordInvalid(function, problem);
  else if (state == ReferenceState::null)
    vm.recordInvalid(function, std::string("null where a ") + wanted + " is needed");
  else
    vm.recordInvalid(function, std::string("an object that is no ") + wanted);
  return nullptr;
}

} // namespace

JavaObject* VmState::object(const char* function, jobject reference) {
  ReferenceState state;
  JavaObject* resolved = heap.resolve(reference, state);
  if (const char* problem = referenceProblem(state))
    recordInvalid(function, problem);
  return resolved;
}

const LoadedClass* VmState::classOf(const char* function, jclass reference) {
  JavaObject* resolved = typedObject(*this, function, reference, "class",
                                     [](const JavaObject& o) { return o.kind == ObjectKind::classObject; });
  return resolved ? resolved->type : nullptr;
}

JavaObject* VmState::stringOf(const char* function, jstring reference) {
  return typedObject(*this, function, reference, "string",
                     [](const JavaObject& o) { return o.kind == ObjectKind::string; });
}

JavaObject* VmState::arrayOf(const char* function, jarray reference) {
  return typedObject(*this, function, reference, "array", [](const JavaObject& o) {
    return o.kind == ObjectKind::objectArray || o.kind == ObjectKind::primitiveArray;
  });
}

JavaObject* VmState::objectArrayOf(const char* function, jobjectArray reference) {
  return typedObject(*this, function, reference, "object array",
                     [](const JavaObject& o) { return o.kind == ObjectKind::objectArray; });
}

JavaObject* VmState::primitiveArrayOf(const char* function, jarray reference, char elementType) {
  return typedObject(*this, function, reference, std::string("[") + elementType + " array",
                     [elementType](const JavaObject& o) {
                       return o.kind == ObjectKind::primitiveArray && o.elementType == elementType;
                     });
}

const LoadedMember* VmState::methodOf(const char* function, jmethodID id, bool isStatic) {
  auto member = reinterpret_cast<const LoadedMember*>(id);
  if (!issuedMethods.count(member)) {
    recordInvalid(function, "a method ID this VM never issued");
    return nullptr;
  }
  if (member->isStatic() != isStatic) {
    recordInvalid(function, isStatic ? "the ID of an instance method" : "the ID of a static method");
    return nullptr;
  }
  return member;
}

const LoadedMember* VmState::fieldOf(const char* function, jfieldID id, bool isStatic) {
  auto member = reinterpret_cast<const LoadedMember*>(id);
  if (!issuedFields.count(member)) {
    recordInvalid(function, "a field ID this VM never issued");
    return nullptr;
  }
  if (member->isStatic() != isStatic) {
    recordInvalid(function, isStatic ? "the ID of an instance field" : "the ID of a static field");
    return nullptr;
  }
  return member;
}

void VmState::recordInvalid(const char* function, const std::string& problem) {
  JsonValue event = callEvent("invalid");
  event.set(u"function", nameText(function));
  event.set(u"problem", nameText(problem));
  JsonValue digest = event;
  report.recordCall(std::move(event), report::kInvalid, std::move(digest));
}

namespace {

// What JNI allows while an exception is pending: looking at it, clearing it, and
// releasing what is held.
bool allowedWhilePending(const std::string& function) {
  static const char* const allowed[] = {"ExceptionOccurred", "ExceptionCheck", "ExceptionDescribe", "ExceptionClear",
                                        "DeleteLocalRef",    "DeleteGlobalRef", "DeleteWeakGlobalRef", "MonitorExit",
                                        "PopLocalFrame"};
  if (function.rfind("Release", 0) == 0)
    return true;
  for (const char* name : allowed)
    if (function == name)
      return true;
  return false;
}

} // namespace

void VmState::checkNothingPending(const char* function) {
  if (pendingException && !allowedWhilePending(function))
    recordInvalid(function, "called while an exception is pending: " + toModifiedUtf8(toStringOf(*pendingException)));
}

void VmState::checkLocalCapacity(const char* function) {
  size_t live = 0;
  size_t capacity = 0;
  if (heap.frameOverflowed(live, capacity))
    recordInvalid(function, std::to_string(live) + " live local references exceed the frame's capacity of " +
                                std::to_string(capacity));
}

bool VmState::allocationFailed(const char* function) {
  if (!allocationsFail)
    return false;
  raiseWithMessage(kOutOfMemoryErrorClass, std::string("no heap left for ") + function);
  return true;
}

void VmState::recordFailure(const char* function) noexcept {
  try {
    recordInvalid(function, "failed inside the fake VM");
  } catch (...) {
    // Nothing left to record with; the caller still gets its fallback result.
  }
}

namespace {
thread_local int fakeVmDepth = 0;
} // namespace

void VmLock::lock() {
  mutex_.lock();
  ++fakeVmDepth;
}

void VmLock::unlock() {
  --fakeVmDepth;
  mutex_.unlock();
}

bool insideFakeVm() { return fakeVmDepth > 0; }

VmState& vmOf(JNIEnv* env) { return *reinterpret_cast<EnvBlock*>(env)->vm; }
VmState& vmOf(JavaVM* vm) { return *reinterpret_cast<VmBlock*>(vm)->vm; }

jint integerValue(const JavaObject& integer) { return integer.arguments.at(0).value.i; }

JsonValue nameText(const std::string& name) { return JsonValue::text(fromModifiedUtf8(name)); }

void describeMember(JsonValue& event, const LoadedMember& member, const char16_t* nameKey) {
  event.set(u"class", nameText(member.owner->name));
  event.set(nameKey, nameText(member.member.name));
  event.set(u"descriptor", nameText(member.member.descriptor));
}

} // namespace jnifake
