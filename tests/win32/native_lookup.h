#pragma once
// The function the executable exports for a native method, found by the decorated name
// the registration looks up (natives/binding_table.h); empty when it is not exported.
// Each call runs in a local frame of its own, as when the Java side calls the method, so
// the fake VM sees which local references the native itself holds.
#include <windows.h>

#include <cstddef>
#include <string>

#include "jni_fake/fake_jvm.h"
#include "natives/binding_table.h"

namespace lnx {

template <typename Function> class NativeMethod;

template <typename Result, typename... Arguments> class NativeMethod<Result(JNICALL*)(JNIEnv*, Arguments...)> {
public:
  using Function = Result(JNICALL*)(JNIEnv*, Arguments...);
  explicit NativeMethod(Function function) : function_(function) {}

  Result operator()(JNIEnv* env, Arguments... arguments) const {
    jnifake::FakeJvm& jvm = jnifake::FakeJvm::owning(env);
    jvm.beginNativeFrame();
    struct FrameEnd {
      jnifake::FakeJvm& jvm;
      ~FrameEnd() { jvm.endNativeFrame(); }
    } end{jvm};
    return function_(env, arguments...);
  }
  explicit operator bool() const { return function_ != nullptr; }
  friend bool operator==(const NativeMethod& method, std::nullptr_t) { return !method.function_; }
  friend bool operator==(std::nullptr_t, const NativeMethod& method) { return !method.function_; }
  friend bool operator!=(const NativeMethod& method, std::nullptr_t) { return method.function_ != nullptr; }
  friend bool operator!=(std::nullptr_t, const NativeMethod& method) { return method.function_ != nullptr; }

private:
  Function function_;
};

template <typename Function> NativeMethod<Function> nativeFunction(const std::string& classPath, const std::string& method) {
  for (const NativeClassEntry& entry : nativeBindingTable())
    for (const NativeMethodEntry& candidate : entry.methods)
      if (entry.classPath == classPath && candidate.name == method)
        return NativeMethod<Function>(reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(
            GetModuleHandleW(nullptr), nativeExportName(entry.classPath, candidate.name, candidate.argumentBytes).c_str()))));
  return NativeMethod<Function>(nullptr);
}

} // namespace lnx
