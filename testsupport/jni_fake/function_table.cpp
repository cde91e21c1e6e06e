// The JNINativeInterface_ table of the fake VM. Every slot first gets a recorder of its
// own exact type: under stdcall the callee removes the arguments, so only a function of
// the slot's true signature returns to a caller with its stack intact.
#include <cstddef>

#include "env_functions.h"
#include "jni_entry.h"
#include "jni_slots.h"

namespace jnifake {

namespace {

constexpr int kReservedSlots = 4;

#define LNX_SLOT_NAME(name) #name,
const char* const kSlotNames[] = {LNX_JNI_FUNCTION_SLOTS(LNX_SLOT_NAME)};
#undef LNX_SLOT_NAME

static_assert(sizeof(JNINativeInterface_) ==
                  (kReservedSlots + sizeof kSlotNames / sizeof kSlotNames[0]) * sizeof(void*),
              "jni_slots.h must list every function slot of this jni.h");

void recordUnsupported(JNIEnv* env, int index) noexcept {
  jniEntry(env, kSlotNames[index - kReservedSlots], [&](VmState& vm) {
    JsonValue event = callEvent("unsupported");
    event.set(u"index", JsonValue::number(index));
    event.set(u"name", nameText(kSlotNames[index - kReservedSlots]));
    JsonValue digest = event;
    vm.report.recordCall(std::move(event), report::kUnsupported, std::move(digest));
  });
}

template <typename Slot>
struct Unsupported;

template <typename Result, typename... Arguments>
struct Unsupported<Result(JNICALL*)(JNIEnv*, Arguments...)> {
  template <int Index>
  static Result JNICALL call(JNIEnv* env, Arguments...) {
    recordUnsupported(env, Index);
    return Result();
  }
};

// The variadic Call functions are caller-cleans whatever JNICALL says.
template <typename Result, typename... Arguments>
struct Unsupported<Result(JNICALL*)(JNIEnv*, Arguments..., ...)> {
  template <int Index>
  static Result JNICALL call(JNIEnv* env, Arguments..., ...) {
    recordUnsupported(env, Index);
    return Result();
  }
};

JNINativeInterface_ buildTable() {
  JNINativeInterface_ table{};
  // The x64 compiler's va_list carries an attribute that a template argument drops: the
  // slot's type is still the one the table declares.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define LNX_UNSUPPORTED_SLOT(name)                                                                                   \
  table.name = &Unsupported<decltype(table.name)>::call<offsetof(JNINativeInterface_, name) / sizeof(void*)>;
  LNX_JNI_FUNCTION_SLOTS(LNX_UNSUPPORTED_SLOT)
#undef LNX_UNSUPPORTED_SLOT
#pragma GCC diagnostic pop
  installClassFunctions(table);
  installStringFunctions(table);
  installArrayFunctions(table);
  installPrimitiveArrayFunctions(table);
  installCallFunctions(table);
  installNativeFunctions(table);
  installExceptionFunctions(table);
  installReferenceFunctions(table);
  return table;
}

} // namespace

const JNINativeInterface_* nativeInterface() {
  static const JNINativeInterface_ table = buildTable();
  return &table;
}

} // namespace jnifake
