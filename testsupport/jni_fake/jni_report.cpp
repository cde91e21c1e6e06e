#include "jni_report.h"

namespace jnifake {

JniReport::JniReport(Sink sink) : document_(JsonValue::object()), sink_(std::move(sink)) {
  for (const char16_t* list : {report::kOptions, report::kCalls})
    document_.set(list, JsonValue::array());
  for (const char16_t* map : {report::kProperties, report::kStaticFields})
    document_.set(map, JsonValue::object());
  for (const char16_t* list : {report::kRegistered, report::kRejected, report::kUnsupported, report::kInvalid})
    document_.set(list, JsonValue::array());
  document_.set(report::kDestroyed, JsonValue::boolean(false));
}

void JniReport::recordOptions(JsonValue options) {
  std::lock_guard<std::mutex> lock(mutex_);
  document_.set(report::kOptions, std::move(options));
  publish();
}

void JniReport::recordCall(JsonValue event) {
  std::lock_guard<std::mutex> lock(mutex_);
  document_.find(report::kCalls)->push(std::move(event));
  publish();
}

void JniReport::recordCall(JsonValue event, const std::u16string& list, JsonValue item) {
  std::lock_guard<std::mutex> lock(mutex_);
  document_.find(report::kCalls)->push(std::move(event));
  document_.find(list)->push(std::move(item));
  publish();
}

void JniReport::recordCall(JsonValue event, const std::u16string& map, const std::u16string& key, JsonValue value) {
  std::lock_guard<std::mutex> lock(mutex_);
  document_.find(report::kCalls)->push(std::move(event));
  document_.find(map)->set(key, std::move(value));
  publish();
}

void JniReport::recordDestroyed(JsonValue event) {
  std::lock_guard<std::mutex> lock(mutex_);
  document_.find(report::kCalls)->push(std::move(event));
  document_.set(report::kDestroyed, JsonValue::boolean(true));
  publish();
}

JsonValue JniReport::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return document_;
}

void JniReport::publish() {
  if (sink_)
    sink_(document_.serialized(1)); // one line per event
}

JsonValue callEvent(const char* kind) {
  JsonValue event = JsonValue::object();
  std::string ascii(kind);
  event.set(u"kind", JsonValue::text(std::u16string(ascii.begin(), ascii.end())));
  return event;
}

} // namespace jnifake
