#include "fake_jvm.h"

#include <algorithm>

#include "builtin_classes.h"
#include "java_values.h"
#include "vm_state.h"

namespace jnifake {

FakeJvm::FakeJvm(const FakeJvmSetup& setup, JniReport& report) : state_(std::make_unique<VmState>(setup, report)) {
  state_->owner = this;
}

FakeJvm& FakeJvm::owning(JNIEnv* env) { return *vmOf(env).owner; }

FakeJvm::~FakeJvm() = default;

JNIEnv* FakeJvm::env() { return reinterpret_cast<JNIEnv*>(&state_->envBlock); }

JavaVM* FakeJvm::vm() { return reinterpret_cast<JavaVM*>(&state_->vmBlock); }

void FakeJvm::onStaticCall(std::function<void(const StaticCall&)> hook) {
  std::lock_guard<VmLock> locked(state_->lock);
  state_->staticCallHook = std::move(hook);
}

void FakeJvm::onDestroy(std::function<void()> hook) {
  std::lock_guard<VmLock> locked(state_->lock);
  state_->destroyHook = std::move(hook);
}

void FakeJvm::throwPending(const std::u16string& text) {
  std::lock_guard<VmLock> locked(state_->lock);
  state_->raise(kPendingExceptionClass, text);
}

bool FakeJvm::exceptionPending() {
  std::lock_guard<VmLock> locked(state_->lock);
  return state_->pendingException != nullptr;
}

void FakeJvm::beginNativeFrame() {
  std::lock_guard<VmLock> locked(state_->lock);
  state_->heap.pushFrame(kLocalFrameCapacity, false);
}

void FakeJvm::endNativeFrame() {
  std::lock_guard<VmLock> locked(state_->lock);
  while (state_->heap.innermostFramePushed()) {
    state_->recordInvalid("PopLocalFrame", "a frame of PushLocalFrame left open when the native method returned");
    state_->heap.popFrame(true);
  }
  state_->heap.popFrame(false);
}

void FakeJvm::failAllocations(bool fail) {
  std::lock_guard<VmLock> locked(state_->lock);
  state_->allocationsFail = fail;
}

jstring FakeJvm::newString(const std::u16string& text) {
  std::lock_guard<VmLock> locked(state_->lock);
  return static_cast<jstring>(state_->heap.reference(state_->newString(text), false));
}

std::optional<std::u16string> FakeJvm::stringText(jobject reference) {
  std::lock_guard<VmLock> locked(state_->lock);
  ReferenceState referenceState;
  JavaObject* object = state_->heap.resolve(reference, referenceState);
  if (!object || object->kind != ObjectKind::string)
    return std::nullopt;
  return object->text;
}

jobject FakeJvm::newInteger(jint value) {
  std::lock_guard<VmLock> locked(state_->lock);
  KeptArgument argument;
  argument.type = 'I';
  argument.value.i = value;
  JavaObject* integer = state_->newInstance(*state_->classes.find(kIntegerClass), {argument});
  return state_->heap.reference(integer, false);
}

namespace {

template <typename Element> jarray primitiveArray(VmState& vm, char elementType, const std::vector<Element>& elements) {
  std::lock_guard<VmLock> locked(vm.lock);
  std::vector<jlong> values(elements.begin(), elements.end());
  return static_cast<jarray>(vm.heap.reference(vm.newPrimitiveArray(elementType, std::move(values)), false));
}

} // namespace

jbyteArray FakeJvm::newByteArray(const std::vector<jbyte>& bytes) {
  return static_cast<jbyteArray>(primitiveArray(*state_, 'B', bytes));
}

jintArray FakeJvm::newIntArray(const std::vector<jint>& values) {
  return static_cast<jintArray>(primitiveArray(*state_, 'I', values));
}

jbooleanArray FakeJvm::newBooleanArray(const std::vector<bool>& values) {
  return static_cast<jbooleanArray>(primitiveArray(*state_, 'Z', values));
}

jobjectArray FakeJvm::newStringArray(const std::vector<std::optional<std::u16string>>& texts) {
  std::lock_guard<VmLock> locked(state_->lock);
  std::vector<JavaObject*> elements;
  for (const std::optional<std::u16string>& text : texts)
    elements.push_back(text ? state_->newString(*text) : nullptr);
  JavaObject* array = state_->newObjectArray(kStringClass, std::move(elements));
  return static_cast<jobjectArray>(state_->heap.reference(array, false));
}

JsonValue FakeJvm::describe(jobject reference) {
  std::lock_guard<VmLock> locked(state_->lock);
  ReferenceState referenceState;
  return renderObject(state_->heap.resolve(reference, referenceState));
}

void* FakeJvm::registeredNative(const std::string& className, const std::string& name,
                                const std::string& descriptor) {
  std::lock_guard<VmLock> locked(state_->lock);
  for (const RegisteredNative& known : state_->natives)
    if (known.className == className && known.name == name && known.descriptor == descriptor)
      return known.function;
  return nullptr;
}

size_t FakeJvm::unreleasedTexts() {
  std::lock_guard<VmLock> locked(state_->lock);
  return state_->pinnedChars.size() + state_->pinnedUtf.size();
}

size_t FakeJvm::unreleasedArrays() {
  std::lock_guard<VmLock> locked(state_->lock);
  return state_->pinnedArrays.size();
}

std::vector<std::wstring> classPathEntries(const std::wstring& value) {
  std::vector<std::wstring> entries;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = std::min(value.find(L';', start), value.size());
    if (end > start)
      entries.push_back(value.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

bool isSupportedJniVersion(jint version) {
  switch (version) {
  case JNI_VERSION_1_2:
  case JNI_VERSION_1_4:
  case JNI_VERSION_1_6:
  case JNI_VERSION_1_8:
  case JNI_VERSION_9:
  case JNI_VERSION_10:
    return true;
  default:
    return false;
  }
}

} // namespace jnifake
