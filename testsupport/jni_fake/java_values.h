#pragma once
// Java values as the report shows them, and the arguments of a call read by its
// descriptor from a va_list or a jvalue array.
#include <jni.h>

#include <cstdarg>
#include <optional>
#include <string>
#include <vector>

#include "json_value.h"
#include "vm_state.h"

namespace jnifake {

// A method descriptor split into its parameter types and its return type, each in
// descriptor form ("I", "Ljava/lang/String;", "[[B"); nothing when it is malformed.
struct MethodShape {
  std::vector<std::string> parameters;
  std::string result;
};
std::optional<MethodShape> methodShape(const std::string& descriptor);

// Strings as text, object and byte arrays as lists, null as null; a constructed instance
// as {"class", "arguments"}; other objects by their class or their text.
JsonValue renderObject(const JavaObject* object);

// Arguments as the report shows them. Object arguments that are no live references are
// recorded as invalid use by function and shown as null.
JsonValue renderArguments(VmState& vm, const char* function, const MethodShape& shape, const jvalue* arguments);

// The arguments as an object built with them keeps them. An object argument that is no
// live reference is kept as null (renderArguments records it).
std::vector<KeptArgument> keptArguments(const VmState& vm, const MethodShape& shape, const jvalue* arguments);

// The arguments of a variadic or V call, widened as C passes them, into jvalues.
std::vector<jvalue> readArguments(const MethodShape& shape, va_list arguments);

} // namespace jnifake
