// Java strings. The character buffers handed out are copies, NUL-terminated like a real
// VM's, and kept until released, so a native that forgets to release one is visible.
#include "env_functions.h"
#include "java_text.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

jstring stringReference(VmState& vm, std::u16string text) {
  return static_cast<jstring>(vm.heap.reference(vm.newString(std::move(text))));
}

jstring JNICALL newString(JNIEnv* env, const jchar* units, jsize length) {
  return jniEntry(env, "NewString", jstring(), [&](VmState& vm) -> jstring {
    if (length < 0 || (length > 0 && !units)) {
      vm.recordInvalid("NewString", "no characters for length " + std::to_string(length));
      return nullptr;
    }
    if (vm.allocationFailed("NewString"))
      return nullptr;
    return stringReference(vm, std::u16string(reinterpret_cast<const char16_t*>(units), length));
  });
}

jstring JNICALL newStringUTF(JNIEnv* env, const char* bytes) {
  return jniEntry(env, "NewStringUTF", jstring(), [&](VmState& vm) -> jstring {
    if (!bytes || vm.allocationFailed("NewStringUTF"))
      return nullptr;
    return stringReference(vm, fromModifiedUtf8(bytes));
  });
}

jsize JNICALL getStringLength(JNIEnv* env, jstring string) {
  return jniEntry(env, "GetStringLength", jsize(), [&](VmState& vm) -> jsize {
    JavaObject* text = vm.stringOf("GetStringLength", string);
    return text ? static_cast<jsize>(text->text.size()) : 0;
  });
}

template <typename Text>
const typename Text::value_type* pin(std::map<const void*, std::unique_ptr<Text>>& pinned, Text copy,
                                     jboolean* isCopy) {
  auto kept = std::make_unique<Text>(std::move(copy));
  const typename Text::value_type* data = kept->c_str();
  pinned[data] = std::move(kept);
  if (isCopy)
    *isCopy = JNI_TRUE;
  return data;
}

template <typename Text>
void unpin(VmState& vm, const char* function, std::map<const void*, std::unique_ptr<Text>>& pinned, jstring string,
           const void* data) {
  if (!vm.stringOf(function, string))
    return;
  if (!pinned.erase(data))
    vm.recordInvalid(function, "characters this VM did not hand out, or released twice");
}

const jchar* JNICALL getStringChars(JNIEnv* env, jstring string, jboolean* isCopy) {
  return jniEntry(env, "GetStringChars", static_cast<const jchar*>(nullptr), [&](VmState& vm) -> const jchar* {
    JavaObject* text = vm.stringOf("GetStringChars", string);
    if (text && vm.allocationFailed("GetStringChars"))
      return nullptr;
    return text ? reinterpret_cast<const jchar*>(pin(vm.pinnedChars, text->text, isCopy)) : nullptr;
  });
}

void JNICALL releaseStringChars(JNIEnv* env, jstring string, const jchar* chars) {
  jniEntry(env, "ReleaseStringChars",
           [&](VmState& vm) { unpin(vm, "ReleaseStringChars", vm.pinnedChars, string, chars); });
}

const char* JNICALL getStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
  return jniEntry(env, "GetStringUTFChars", static_cast<const char*>(nullptr), [&](VmState& vm) -> const char* {
    JavaObject* text = vm.stringOf("GetStringUTFChars", string);
    if (text && vm.allocationFailed("GetStringUTFChars"))
      return nullptr;
    return text ? pin(vm.pinnedUtf, toModifiedUtf8(text->text), isCopy) : nullptr;
  });
}

void JNICALL releaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
  jniEntry(env, "ReleaseStringUTFChars",
           [&](VmState& vm) { unpin(vm, "ReleaseStringUTFChars", vm.pinnedUtf, string, chars); });
}

} // namespace

void installStringFunctions(JNINativeInterface_& table) {
  table.NewString = newString;
  table.NewStringUTF = newStringUTF;
  table.GetStringLength = getStringLength;
  table.GetStringChars = getStringChars;
  table.ReleaseStringChars = releaseStringChars;
  table.GetStringUTFChars = getStringUTFChars;
  table.ReleaseStringUTFChars = releaseStringUTFChars;
}

} // namespace jnifake
