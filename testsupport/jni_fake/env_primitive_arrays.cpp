// Arrays of booleans, bytes, ints and longs, which natives fill and read by region or
// through a copy of their elements. A region outside the array leaves the exception a real
// VM throws pending; releasing elements this VM did not hand out is recorded.
#include <cstring>

#include "builtin_classes.h"
#include "env_functions.h"
#include "java_text.h"
#include "jni_entry.h"

namespace jnifake {

namespace {

struct BooleanArrays {
  using Element = jboolean;
  using Array = jbooleanArray;
  static constexpr char type = 'Z';
  static constexpr const char* name = "Boolean";
};
struct ByteArrays {
  using Element = jbyte;
  using Array = jbyteArray;
  static constexpr char type = 'B';
  static constexpr const char* name = "Byte";
};
struct IntArrays {
  using Element = jint;
  using Array = jintArray;
  static constexpr char type = 'I';
  static constexpr const char* name = "Int";
};
struct LongArrays {
  using Element = jlong;
  using Array = jlongArray;
  static constexpr char type = 'J';
  static constexpr const char* name = "Long";
};

template <typename Kind> struct PrimitiveArrayFunctions {
  using Element = typename Kind::Element;
  using Array = typename Kind::Array;

  static std::string functionName(const char* before, const char* after) {
    return std::string(before) + Kind::name + after;
  }

  static Array JNICALL newArray(JNIEnv* env, jsize length) {
    std::string function = functionName("New", "Array");
    return jniEntry(env, function.c_str(), Array(), [&](VmState& vm) -> Array {
      if (length < 0) {
        vm.recordInvalid(function.c_str(), "a negative length");
        return nullptr;
      }
      if (vm.allocationFailed(function.c_str()))
        return nullptr;
      JavaObject* array = vm.newPrimitiveArray(Kind::type, std::vector<jlong>(static_cast<size_t>(length)));
      return static_cast<Array>(vm.heap.reference(array));
    });
  }

  // The array of a region call when the region can be copied.
  static JavaObject* regionArray(VmState& vm, const std::string& function, Array array, jsize start, jsize length,
                                 const Element* buffer) {
    JavaObject* resolved = vm.primitiveArrayOf(function.c_str(), array, Kind::type);
    if (!resolved)
      return nullptr;
    long long end = static_cast<long long>(start) + length;
    if (start < 0 || length < 0 || end > static_cast<long long>(resolved->values.size())) {
      std::string region = std::to_string(start) + ".." + std::to_string(end);
      vm.raise(kArrayIndexExceptionClass,
               fromModifiedUtf8("java.lang.ArrayIndexOutOfBoundsException: Array region " + region +
                                " out of bounds for length " + std::to_string(resolved->values.size())));
      return nullptr;
    }
    if (length > 0 && !buffer) {
      vm.recordInvalid(function.c_str(), "no buffer for " + std::to_string(length) + " elements");
      return nullptr;
    }
    return resolved;
  }

  static void JNICALL getRegion(JNIEnv* env, Array array, jsize start, jsize length, Element* buffer) {
    std::string function = functionName("Get", "ArrayRegion");
    jniEntry(env, function.c_str(), [&](VmState& vm) {
      if (JavaObject* resolved = regionArray(vm, function, array, start, length, buffer))
        for (jsize index = 0; index < length; ++index)
          buffer[index] = static_cast<Element>(resolved->values[static_cast<size_t>(start + index)]);
    });
  }

  static void JNICALL setRegion(JNIEnv* env, Array array, jsize start, jsize length, const Element* buffer) {
    std::string function = functionName("Set", "ArrayRegion");
    jniEntry(env, function.c_str(), [&](VmState& vm) {
      if (JavaObject* resolved = regionArray(vm, function, array, start, length, buffer))
        for (jsize index = 0; index < length; ++index)
          resolved->values[static_cast<size_t>(start + index)] = buffer[index];
    });
  }

  // A copy of the elements, kept until released.
  static Element* JNICALL getElements(JNIEnv* env, Array array, jboolean* isCopy) {
    std::string function = functionName("Get", "ArrayElements");
    return jniEntry(env, function.c_str(), static_cast<Element*>(nullptr), [&](VmState& vm) -> Element* {
      JavaObject* resolved = vm.primitiveArrayOf(function.c_str(), array, Kind::type);
      if (!resolved || vm.allocationFailed(function.c_str()))
        return nullptr;
      VmState::PinnedElements pinned{resolved, std::vector<unsigned char>(resolved->values.size() * sizeof(Element) + 1)};
      auto elements = reinterpret_cast<Element*>(pinned.storage.data());
      for (size_t index = 0; index < resolved->values.size(); ++index)
        elements[index] = static_cast<Element>(resolved->values[index]);
      vm.pinnedArrays[elements] = std::move(pinned);
      if (isCopy)
        *isCopy = JNI_TRUE;
      return elements;
    });
  }

  // Mode 0 copies back and frees, JNI_COMMIT copies back, JNI_ABORT frees.
  static void JNICALL releaseElements(JNIEnv* env, Array array, Element* elements, jint mode) {
    std::string function = functionName("Release", "ArrayElements");
    jniEntry(env, function.c_str(), [&](VmState& vm) {
      JavaObject* resolved = vm.primitiveArrayOf(function.c_str(), array, Kind::type);
      auto pinned = vm.pinnedArrays.find(elements);
      if (!resolved)
        return;
      if (pinned == vm.pinnedArrays.end() || pinned->second.array != resolved) {
        vm.recordInvalid(function.c_str(), "elements this VM did not hand out for this array, or released twice");
        return;
      }
      if (mode != JNI_ABORT)
        for (size_t index = 0; index < resolved->values.size(); ++index)
          resolved->values[index] = elements[index];
      if (mode != JNI_COMMIT)
        vm.pinnedArrays.erase(pinned);
    });
  }

  template <typename NewSlot, typename GetRegionSlot, typename SetRegionSlot, typename GetElementsSlot,
            typename ReleaseElementsSlot>
  static void install(NewSlot& newArraySlot, GetRegionSlot& getRegionSlot, SetRegionSlot& setRegionSlot,
                      GetElementsSlot& getElementsSlot, ReleaseElementsSlot& releaseElementsSlot) {
    newArraySlot = newArray;
    getRegionSlot = getRegion;
    setRegionSlot = setRegion;
    getElementsSlot = getElements;
    releaseElementsSlot = releaseElements;
  }
};

} // namespace

void installPrimitiveArrayFunctions(JNINativeInterface_& table) {
  PrimitiveArrayFunctions<BooleanArrays>::install(table.NewBooleanArray, table.GetBooleanArrayRegion,
                                                  table.SetBooleanArrayRegion, table.GetBooleanArrayElements,
                                                  table.ReleaseBooleanArrayElements);
  PrimitiveArrayFunctions<ByteArrays>::install(table.NewByteArray, table.GetByteArrayRegion,
                                               table.SetByteArrayRegion, table.GetByteArrayElements,
                                               table.ReleaseByteArrayElements);
  PrimitiveArrayFunctions<IntArrays>::install(table.NewIntArray, table.GetIntArrayRegion, table.SetIntArrayRegion,
                                              table.GetIntArrayElements, table.ReleaseIntArrayElements);
  PrimitiveArrayFunctions<LongArrays>::install(table.NewLongArray, table.GetLongArrayRegion,
                                               table.SetLongArrayRegion, table.GetLongArrayElements,
                                               table.ReleaseLongArrayElements);
}

} // namespace jnifake
