#include "json_value.h"

#include <cstdio>

namespace jnifake {

JsonValue JsonValue::boolean(bool value) {
  JsonValue json;
  json.kind_ = Kind::boolean;
  json.boolean_ = value;
  return json;
}

JsonValue JsonValue::number(long long value) {
  JsonValue json;
  json.kind_ = Kind::number;
  json.number_ = value;
  return json;
}

JsonValue JsonValue::text(std::u16string value) {
  JsonValue json;
  json.kind_ = Kind::text;
  json.text_ = std::move(value);
  return json;
}

JsonValue JsonValue::array() {
  JsonValue json;
  json.kind_ = Kind::array;
  return json;
}

JsonValue JsonValue::object() {
  JsonValue json;
  json.kind_ = Kind::object;
  return json;
}

JsonValue& JsonValue::push(JsonValue item) {
  items_.push_back(std::move(item));
  return items_.back();
}

JsonValue& JsonValue::set(const std::u16string& key, JsonValue value) {
  if (JsonValue* existing = find(key)) {
    *existing = std::move(value);
    return *existing;
  }
  members_.emplace_back(key, std::move(value));
  return members_.back().second;
}

JsonValue* JsonValue::find(const std::u16string& key) {
  for (auto& member : members_)
    if (member.first == key)
      return &member.second;
  return nullptr;
}

const JsonValue* JsonValue::find(const std::u16string& key) const {
  return const_cast<JsonValue*>(this)->find(key);
}

namespace {

void writeText(std::string& out, const std::u16string& text) {
  out += '"';
  for (char16_t unit : text) {
    if (unit == u'"' || unit == u'\\') {
      out += '\\';
      out += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x7F) {
      out += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
      out += escape;
    }
  }
  out += '"';
}

void lineBreak(std::string& out, int depth) {
  out += '\n';
  out.append(static_cast<size_t>(depth) * 2, ' ');
}

} // namespace

void JsonValue::write(std::string& out, int depth, int expandedDepth) const {
  bool expanded = depth <= expandedDepth;
  switch (kind_) {
  case Kind::null:
    out += "null";
    return;
  case Kind::boolean:
    out += boolean_ ? "true" : "false";
    return;
  case Kind::number:
    out += std::to_string(number_);
    return;
  case Kind::text:
    writeText(out, text_);
    return;
  case Kind::array:
    out += '[';
    for (size_t index = 0; index < items_.size(); ++index) {
      out += index ? (expanded ? "," : ", ") : "";
      if (expanded)
        lineBreak(out, depth + 1);
      items_[index].write(out, depth + 1, expandedDepth);
    }
    if (expanded && !items_.empty())
      lineBreak(out, depth);
    out += ']';
    return;
  case Kind::object:
    out += '{';
    for (size_t index = 0; index < members_.size(); ++index) {
      out += index ? (expanded ? "," : ", ") : "";
      if (expanded)
        lineBreak(out, depth + 1);
      writeText(out, members_[index].first);
      out += ": ";
      members_[index].second.write(out, depth + 1, expandedDepth);
    }
    if (expanded && !members_.empty())
      lineBreak(out, depth);
    out += '}';
    return;
  }
}

std::string JsonValue::serialized(int expandedDepth) const {
  std::string out;
  write(out, 0, expandedDepth);
  out += '\n';
  return out;
}

} // namespace jnifake
