#include "builtin_classes.h"

#include <vector>

namespace jnifake {

namespace {

constexpr uint16_t kAccPublic = 0x0001;

ClassMember instanceMethod(const char* name, const char* descriptor) { return {name, descriptor, kAccPublic}; }
ClassMember staticMethod(const char* name, const char* descriptor) {
  return {name, descriptor, static_cast<uint16_t>(kAccPublic | kAccStatic)};
}

std::vector<ClassFile> builtinClasses() {
  ClassMember toString = instanceMethod(kToStringName, kToStringDescriptor);
  return {
      {kObjectClass, "", kAccPublic, {}, {toString}},
      {kStringClass, kObjectClass, kAccPublic, {}, {toString, instanceMethod("length", "()I")}},
      {kSystemClass,
       kObjectClass,
       kAccPublic,
       {},
       {staticMethod(kSetPropertyName, kSetPropertyDescriptor),
        staticMethod("getProperty", "(Ljava/lang/String;)Ljava/lang/String;")}},
      {"java/lang/Throwable",
       kObjectClass,
       kAccPublic,
       {},
       {toString, instanceMethod("getMessage", kToStringDescriptor)}},
      {"java/lang/Exception", "java/lang/Throwable", kAccPublic, {}, {}},
      {kPendingExceptionClass, "java/lang/Exception", kAccPublic, {}, {}},
      {"java/lang/IndexOutOfBoundsException", kPendingExceptionClass, kAccPublic, {}, {}},
      {kArrayIndexExceptionClass, "java/lang/IndexOutOfBoundsException", kAccPublic, {}, {}},
      // The errors a real VM leaves pending when a look-up or an allocation fails.
      {"java/lang/Error", "java/lang/Throwable", kAccPublic, {}, {}},
      {"java/lang/LinkageError", "java/lang/Error", kAccPublic, {}, {}},
      {kNoClassDefFoundErrorClass, "java/lang/LinkageError", kAccPublic, {}, {}},
      {"java/lang/IncompatibleClassChangeError", "java/lang/LinkageError", kAccPublic, {}, {}},
      {kNoSuchMethodErrorClass, "java/lang/IncompatibleClassChangeError", kAccPublic, {}, {}},
      {kNoSuchFieldErrorClass, "java/lang/IncompatibleClassChangeError", kAccPublic, {}, {}},
      {"java/lang/VirtualMachineError", "java/lang/Error", kAccPublic, {}, {}},
      {kOutOfMemoryErrorClass, "java/lang/VirtualMachineError", kAccPublic, {}, {}},
      // Its superclass java/lang/Number is left out: the natives use only these members.
      {kIntegerClass,
       kObjectClass,
       kAccPublic,
       {},
       {instanceMethod(kConstructorName, kIntegerConstructorDescriptor),
        instanceMethod(kIntValueName, kIntValueDescriptor)}},
  };
}

} // namespace

std::optional<ClassFile> builtinClass(const std::string& name) {
  // An array class ("[B", "[Ljava/lang/String;") is known for every name: a real VM makes
  // it on demand. It has no members of its own.
  if (!name.empty() && name[0] == '[')
    return ClassFile{name, kObjectClass, kAccPublic, {}, {}};
  for (ClassFile& known : builtinClasses())
    if (known.name == name)
      return std::move(known);
  return std::nullopt;
}

} // namespace jnifake
