#pragma once
// The JDK classes the fake VM knows without a class path: the few whose members the
// launcher and the natives use (System.setProperty, toString, Integer, the classes of
// pending exceptions). A real runtime loads them from its own modules, never from the
// class path.
#include <optional>
#include <string>

#include "class_file.h"

namespace jnifake {

constexpr char kObjectClass[] = "java/lang/Object";
constexpr char kStringClass[] = "java/lang/String";
constexpr char kSystemClass[] = "java/lang/System";
constexpr char kIntegerClass[] = "java/lang/Integer";
constexpr char kPendingExceptionClass[] = "java/lang/RuntimeException";
constexpr char kArrayIndexExceptionClass[] = "java/lang/ArrayIndexOutOfBoundsException";
constexpr char kNoClassDefFoundErrorClass[] = "java/lang/NoClassDefFoundError";
constexpr char kNoSuchMethodErrorClass[] = "java/lang/NoSuchMethodError";
constexpr char kNoSuchFieldErrorClass[] = "java/lang/NoSuchFieldError";
constexpr char kOutOfMemoryErrorClass[] = "java/lang/OutOfMemoryError";
constexpr char kConstructorName[] = "<init>";
constexpr char kIntegerConstructorDescriptor[] = "(I)V";
constexpr char kIntValueName[] = "intValue";
constexpr char kIntValueDescriptor[] = "()I";
constexpr char kToStringName[] = "toString";
constexpr char kToStringDescriptor[] = "()Ljava/lang/String;";
constexpr char kSetPropertyName[] = "setProperty";
constexpr char kSetPropertyDescriptor[] = "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;";

// Nothing for a class that is not built in.
std::optional<ClassFile> builtinClass(const std::string& name);

} // namespace jnifake
