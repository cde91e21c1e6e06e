#pragma once
// The frame of every JNI function of the fake VM: the VM locked for the call (natives and
// hooks may run on other threads), and no C++ exception ever returned to the C caller.
#include <type_traits>
#include <utility>

#include "vm_state.h"

namespace jnifake {

// Handle is the JNIEnv* or JavaVM* the function was called with.
// JNIEnv functions are also checked as -Xcheck:jni checks them: no call while an
// exception is pending (other than those JNI allows then), and no local frame over its
// capacity afterwards.
template <typename Handle, typename Result, typename Body>
Result jniEntry(Handle handle, const char* function, Result fallback, Body&& body) noexcept {
  VmState& vm = vmOf(handle);
  try {
    std::lock_guard<VmLock> locked(vm.lock);
    if constexpr (std::is_same_v<Handle, JNIEnv*>)
      vm.checkNothingPending(function);
    Result result = body(vm);
    if constexpr (std::is_same_v<Handle, JNIEnv*>)
      vm.checkLocalCapacity(function);
    return result;
  } catch (...) {
    vm.recordFailure(function);
    return fallback;
  }
}

template <typename Handle, typename Body>
void jniEntry(Handle handle, const char* function, Body&& body) noexcept {
  jniEntry(handle, function, 0, [&](VmState& vm) {
    body(vm);
    return 0;
  });
}

} // namespace jnifake
