#pragma once
// How handles and window handles cross between the natives and Java: as longs (or ints)
// holding the sign-extended 32-bit handle value, on both widths. 64-bit Windows keeps
// kernel and window handles within 32 significant bits so that 32- and 64-bit processes
// can share them, and the pseudo-handles are small negative numbers (-1 is the current
// process): zero-extending the low half would turn -1 into 0xFFFFFFFF, no handle at all.
#include <jni.h>

#include <cstdint>

namespace lnx {

// The handle a Java long or int stands for: its low 32 bits, sign-extended.
template <typename Handle> Handle handleFromJava(jlong value) {
  return reinterpret_cast<Handle>(static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(value))));
}

// The Java long a handle goes out as: its 32-bit value, sign-extended.
inline jlong javaHandleValue(const void* handle) {
  return static_cast<jlong>(static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle))));
}

} // namespace lnx
