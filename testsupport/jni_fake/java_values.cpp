#include "java_values.h"

#include <cstdio>
#include <cstring>


namespace jnifake {

namespace {

constexpr char kPrimitiveTypes[] = "ZBCSIJFD";

// The end of the field type that starts at start, or npos when there is none.
size_t fieldTypeEnd(const std::string& descriptor, size_t start) {
  size_t position = start;
  while (position < descriptor.size() && descriptor[position] == '[')
    ++position;
  if (position >= descriptor.size())
    return std::string::npos;
  if (descriptor[position] == 'L') {
    size_t end = descriptor.find(';', position);
    return end == std::string::npos || end == position + 1 ? std::string::npos : end + 1;
  }
  return std::strchr(kPrimitiveTypes, descriptor[position]) ? position + 1 : std::string::npos;
}

JsonValue floatingText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return nameText(text);
}

} // namespace

std::optional<MethodShape> methodShape(const std::string& descriptor) {
  if (descriptor.empty() || descriptor[0] != '(')
    return std::nullopt;
  MethodShape shape;
  size_t position = 1;
  while (position < descriptor.size() && descriptor[position] != ')') {
    size_t end = fieldTypeEnd(descriptor, position);
    if (end == std::string::npos)
      return std::nullopt;
    shape.parameters.push_back(descriptor.substr(position, end - position));
    position = end;
  }
  if (position >= descriptor.size())
    return std::nullopt;
  ++position;
  size_t end = descriptor.substr(position) == "V" ? position + 1 : fieldTypeEnd(descriptor, position);
  if (end != descriptor.size())
    return std::nullopt;
  shape.result = descriptor.substr(position);
  return shape;
}

JsonValue renderObject(const JavaObject* object) {
  if (!object)
    return JsonValue();
  switch (object->kind) {
  case ObjectKind::string:
    return JsonValue::text(object->text);
  case ObjectKind::objectArray: {
    JsonValue items = JsonValue::array();
    for (const JavaObject* element : object->elements)
      items.push(renderObject(element));
    return items;
  }
  case ObjectKind::classObject: {
    JsonValue described = JsonValue::object();
    described.set(u"class", nameText(object->type->name));
    return described;
  }
  case ObjectKind::throwable:
    break;
  }
  JsonValue described = JsonValue::object();
  described.set(u"throwable", JsonValue::text(object->text));
  return described;
}

JsonValue renderArguments(VmState& vm, const char* function, const MethodShape& shape, const jvalue* arguments) {
  JsonValue rendered = JsonValue::array();
  for (size_t index = 0; index < shape.parameters.size(); ++index) {
    const jvalue& value = arguments[index];
    switch (shape.parameters[index][0]) {
    case 'Z':
      rendered.push(JsonValue::boolean(value.z != JNI_FALSE));
      break;
    case 'B':
      rendered.push(JsonValue::number(value.b));
      break;
    case 'C':
      rendered.push(JsonValue::number(value.c));
      break;
    case 'S':
      rendered.push(JsonValue::number(value.s));
      break;
    case 'I':
      rendered.push(JsonValue::number(value.i));
      break;
    case 'J':
      rendered.push(JsonValue::number(value.j));
      break;
    case 'F':
      rendered.push(floatingText(value.f));
      break;
    case 'D':
      rendered.push(floatingText(value.d));
      break;
    default:
      rendered.push(renderObject(vm.object(function, value.l)));
      break;
    }
  }
  return rendered;
}

std::vector<jvalue> readArguments(const MethodShape& shape, va_list arguments) {
  std::vector<jvalue> values(shape.parameters.size());
  for (size_t index = 0; index < shape.parameters.size(); ++index) {
    jvalue& value = values[index];
    // C passes the small integer types as int and float as double.
    switch (shape.parameters[index][0]) {
    case 'Z':
      value.z = static_cast<jboolean>(va_arg(arguments, int));
      break;
    case 'B':
      value.b = static_cast<jbyte>(va_arg(arguments, int));
      break;
    case 'C':
      value.c = static_cast<jchar>(va_arg(arguments, int));
      break;
    case 'S':
      value.s = static_cast<jshort>(va_arg(arguments, int));
      break;
    case 'I':
      value.i = va_arg(arguments, jint);
      break;
    case 'J':
      value.j = va_arg(arguments, jlong);
      break;
    case 'F':
      value.f = static_cast<jfloat>(va_arg(arguments, double));
      break;
    case 'D':
      value.d = va_arg(arguments, double);
      break;
    default:
      value.l = va_arg(arguments, jobject);
      break;
    }
  }
  return values;
}

} // namespace jnifake
