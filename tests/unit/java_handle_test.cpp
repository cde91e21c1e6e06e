#include "natives/java_handle.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

// The host is 64-bit, as the 64-bit launcher is: what a handle becomes here is what it
// becomes there.
static_assert(sizeof(void*) == 8, "the host tests read handles as a 64-bit process does");

TEST(JavaHandle, PseudoHandlesSurviveTheWayInAndOut) {
  // GetCurrentProcess() is -1, GetCurrentThread() -2; Java holds them as -1 and -2, or as
  // their low 32 bits when an int carried them.
  for (jlong fromJava : {jlong{-1}, jlong{0xFFFFFFFF}})
    EXPECT_EQ(reinterpret_cast<void*>(intptr_t{-1}), handleFromJava<void*>(fromJava)) << fromJava;
  EXPECT_EQ(reinterpret_cast<void*>(intptr_t{-2}), handleFromJava<void*>(-2));
  EXPECT_EQ(-1, javaHandleValue(reinterpret_cast<void*>(intptr_t{-1})));
}

TEST(JavaHandle, HandleValuesAreTheirSignExtendedLow32Bits) {
  EXPECT_EQ(reinterpret_cast<void*>(uintptr_t{0x1F4}), handleFromJava<void*>(0x1F4));
  EXPECT_EQ(reinterpret_cast<void*>(uintptr_t{0x000A0B0C}), handleFromJava<void*>(0x7FFFFFFF000A0B0Cll))
      << "only the low half counts";
  // A window handle with the top bit of its 32 bits set is negative on both sides.
  void* window = reinterpret_cast<void*>(static_cast<intptr_t>(int32_t{-0x7FFDFFF0}));
  EXPECT_EQ(jlong{-0x7FFDFFF0}, javaHandleValue(window));
  EXPECT_EQ(window, handleFromJava<void*>(javaHandleValue(window)));
  EXPECT_EQ(0, javaHandleValue(nullptr));
  EXPECT_EQ(nullptr, handleFromJava<void*>(0));
}

} // namespace
} // namespace lnx
