#pragma once
// A small JSON document for the fake VM's report: texts are UTF-16 as Java holds them, and
// object members keep the order in which they were first set.
#include <string>
#include <utility>
#include <vector>

namespace jnifake {

class JsonValue {
public:
  enum class Kind { null, boolean, number, text, array, object };

  JsonValue() = default; // null
  static JsonValue boolean(bool value);
  static JsonValue number(long long value);
  static JsonValue text(std::u16string value);
  static JsonValue array();
  static JsonValue object();

  Kind kind() const { return kind_; }
  bool asBoolean() const { return boolean_; }
  long long asNumber() const { return number_; }
  const std::u16string& asText() const { return text_; }
  const std::vector<JsonValue>& items() const { return items_; }
  const std::vector<std::pair<std::u16string, JsonValue>>& members() const { return members_; }

  // Array: appends. Object: sets a member, in place when the key is already there.
  JsonValue& push(JsonValue item);
  JsonValue& set(const std::u16string& key, JsonValue value);
  // Object: the member's value, or null when there is no such member.
  JsonValue* find(const std::u16string& key);
  const JsonValue* find(const std::u16string& key) const;

  // ASCII JSON: every non-ASCII UTF-16 unit as \uXXXX, so no text is re-encoded on the way
  // to a reader. Containers down to expandedDepth get one line per item.
  std::string serialized(int expandedDepth = 1) const;

private:
  void write(std::string& out, int depth, int expandedDepth) const;

  Kind kind_ = Kind::null;
  bool boolean_ = false;
  long long number_ = 0;
  std::u16string text_;
  std::vector<JsonValue> items_;
  std::vector<std::pair<std::u16string, JsonValue>> members_;
};

} // namespace jnifake
