#include "java_behaviour.h"

#include "text_lines.h"

namespace standin {
namespace {

bool isDecimal(const std::string& text) {
  return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool parseFlag(const std::string& value, bool& flag) {
  if (value != "0" && value != "1")
    return false;
  flag = value == "1";
  return true;
}

bool applySwitch(const std::string& name, const std::string& value, JavaBehaviour& behaviour) {
  if (name == "exit") {
    if (!isDecimal(value))
      return false;
    behaviour.exitCode = std::stoul(value);
    return true;
  }
  if (name == "hang")
    return parseFlag(value, behaviour.hang);
  if (name == "garbage")
    return parseFlag(value, behaviour.garbage);
  return false;
}

} // namespace

std::optional<JavaBehaviour> parseJavaBehaviour(const std::string& text) {
  JavaBehaviour behaviour;
  for (const std::string& line : textLines(text)) {
    if (line.empty() || line.front() == '#')
      continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos || !applySwitch(line.substr(0, equals), line.substr(equals + 1), behaviour))
      return std::nullopt;
  }
  return behaviour;
}

} // namespace standin
