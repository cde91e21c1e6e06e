#pragma once
// The frame of every JNI function of the fake VM: the VM locked for the call (natives and
// hooks may run on other threads), and no C++ exception ever returned to the C caller.
#include <utility>

#include "vm_state.h"

namespace jnifake {

// Handle is the JNIEnv* or JavaVM* the function was called with.
template <typename Handle, typename Result, typename Body>
Result jniEntry(Handle handle, const char* function, Result fallback, Body&& body) noexcept {
  VmState& vm = vmOf(handle);
  try {
    std::lock_guard<std::recursive_mutex> locked(vm.lock);
    return body(vm);
  } catch (...) {
    vm.recordFailure(function);
    return fallback;
  }
}

template <typename Handle, typename Body>
void jniEntry(Handle handle, const char* function, Body&& body) noexcept {
  VmState& vm = vmOf(handle);
  try {
    std::lock_guard<std::recursive_mutex> locked(vm.lock);
    body(vm);
  } catch (...) {
    vm.recordFailure(function);
  }
}

} // namespace jnifake
