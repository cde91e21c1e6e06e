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

bool isReference(char type) { return type == 'L' || type == '['; }

// A primitive value of the descriptor letter type.
JsonValue renderPrimitive(char type, const jvalue& value) {
  switch (type) {
  case 'Z':
    return JsonValue::boolean(value.z != JNI_FALSE);
  case 'B':
    return JsonValue::number(value.b);
  case 'C':
    return JsonValue::number(value.c);
  case 'S':
    return JsonValue::number(value.s);
  case 'I':
    return JsonValue::number(value.i);
  case 'J':
    return JsonValue::number(value.j);
  case 'F':
    return floatingText(value.f);
  default: // 'D'
    return floatingText(value.d);
  }
}

JsonValue renderConstructed(const JavaObject& object) {
  JsonValue arguments = JsonValue::array();
  for (const KeptArgument& argument : object.arguments)
    arguments.push(isReference(argument.type) ? renderObject(argument.object)
                                              : renderPrimitive(argument.type, argument.value));
  JsonValue described = JsonValue::object();
  described.set(u"class", nameText(object.type->name));
  described.set(u"arguments", std::move(arguments));
  return described;
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
  case ObjectKind::primitiveArray: {
    JsonValue items = JsonValue::array();
    for (jlong element : object->values)
      items.push(object->elementType == 'Z' ? JsonValue::boolean(element != 0) : JsonValue::number(element));
    return items;
  }
  case ObjectKind::classObject: {
    JsonValue described = JsonValue::object();
    described.set(u"class", nameText(object->type->name));
    return described;
  }
  case ObjectKind::constructed:
    return renderConstructed(*object);
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
    char type = shape.parameters[index][0];
    rendered.push(isReference(type) ? renderObject(vm.object(function, arguments[index].l))
                                    : renderPrimitive(type, arguments[index]));
  }
  return rendered;
}

std::vector<KeptArgument> keptArguments(const VmState& vm, const MethodShape& shape, const jvalue* arguments) {
  std::vector<KeptArgument> kept(shape.parameters.size());
  for (size_t index = 0; index < kept.size(); ++index) {
    kept[index].type = shape.parameters[index][0];
    if (isReference(kept[index].type)) {
      ReferenceState state;
      kept[index].object = vm.heap.resolve(arguments[index].l, state);
    } else {
      kept[index].value = arguments[index];
    }
  }
  return kept;
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
