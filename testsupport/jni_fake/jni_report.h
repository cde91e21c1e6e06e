#pragma once
// What the fake VM received, as one JSON document:
//   {"options": [...], "calls": [{"kind": ...}, ...], "properties": {...},
//    "staticFields": {...}, "registered": [...], "rejected": [...], "unsupported": [...],
//    "invalid": [...], "destroyed": bool}
// "calls" holds every event in order; the other members digest some of them. After each
// event the whole document goes to the sink, so what a test reads is complete even when
// the process ends abruptly.
#include <functional>
#include <mutex>
#include <string>

#include "json_value.h"

namespace jnifake {

namespace report {
constexpr char16_t kOptions[] = u"options";
constexpr char16_t kCalls[] = u"calls";
constexpr char16_t kProperties[] = u"properties";
constexpr char16_t kStaticFields[] = u"staticFields";
constexpr char16_t kRegistered[] = u"registered";
constexpr char16_t kRejected[] = u"rejected";
constexpr char16_t kUnsupported[] = u"unsupported";
constexpr char16_t kInvalid[] = u"invalid";
constexpr char16_t kDestroyed[] = u"destroyed";
} // namespace report

class JniReport {
public:
  using Sink = std::function<void(const std::string& serialized)>;

  explicit JniReport(Sink sink = {});

  void recordOptions(JsonValue options);
  void recordCall(JsonValue event);
  // The event, and item appended to one of the digest lists (report::kRegistered, ...).
  void recordCall(JsonValue event, const std::u16string& list, JsonValue item);
  // The event, and key = value in one of the digest maps (report::kProperties, ...).
  void recordCall(JsonValue event, const std::u16string& map, const std::u16string& key, JsonValue value);
  void recordDestroyed(JsonValue event);

  // A copy of the document as it stands.
  JsonValue snapshot() const;

private:
  void publish();

  mutable std::mutex mutex_;
  JsonValue document_;
  Sink sink_;
};

// An event of "calls": {"kind": kind}, to which the recorder adds its details.
JsonValue callEvent(const char* kind);

} // namespace jnifake
