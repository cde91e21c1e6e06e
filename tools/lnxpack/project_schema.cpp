#include "lnxpack/project_schema.h"

#include <cstdint>
#include <string>

#include "lnxpack/project_checks.h"
#include "payload/catalogue.h"
#include "text/utf16.h"

namespace lnx::pack {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kDecimalId = "^[0-9]{1,10}$";
// Ids above 10199: the version-specific option lines 10201 + 2k and 10202 + 2k.
constexpr const char* kOptionLineId = "^(10[2-9][0-9]{2}|1[1-9][0-9]{3}|[2-9][0-9]{4}|[1-9][0-9]{5,9})$";
// At most one "\", none of the characters Windows file names cannot hold, nor ";".
constexpr const char* kFileName = "^[^\\\\/:*?\"<>|;\\u0000-\\u001f]+(\\\\[^\\\\/:*?\"<>|;\\u0000-\\u001f]+)?$";

Json int32() { return {{"type", "integer"}, {"minimum", INT32_MIN}, {"maximum", INT32_MAX}}; }
Json text() { return {{"type", "string"}, {"maxLength", kMaxLauncherText}}; }

// The values configValueProblem lets through for the kind, and null (no entry).
Json valueSchema(ConfigKind kind) {
  switch (kind) {
  case ConfigKind::Flag:
    return {{"enum", {true, false, 0, 1, "0", "1", nullptr}}};
  case ConfigKind::Integer:
    return {{"anyOf", {int32(), {{"type", "string"}, {"pattern", "^-?[0-9]{1,10}$"}}, {{"type", "null"}}}}};
  case ConfigKind::Version:
    return {{"anyOf", {int32(), {{"type", "string"}, {"pattern", "^([0-9]+([._-][0-9]+)*)?$"}}, {{"type", "null"}}}}};
  case ConfigKind::FamilyLetter:
    return {{"enum", {"i", "e", nullptr}}};
  case ConfigKind::Text:
  case ConfigKind::WideText:
    break;
  }
  return {{"anyOf", {text(), int32(), {{"type", "null"}}}}};
}

Json configEntry(const ConfigInfo& info) {
  Json entry = valueSchema(info.kind);
  entry["description"] = std::to_string(info.id) + " " + info.name + " (" + configKindName(info.kind) +
                         "): " + info.meaning;
  if (info.defaultValue) entry["default"] = info.defaultValue;
  return entry;
}

// Names and ids of the catalogue, 2002 and 2003 (filled from "files") refused.
Json configSchema() {
  Json properties = Json::object();
  for (const ConfigInfo& info : configCatalogue()) {
    bool filled = info.id == config::includedFileCount || info.id == config::includedFileNames;
    properties[info.name] = filled ? Json(false) : configEntry(info);
    properties[std::to_string(info.id)] = filled ? Json(false) : configEntry(info);
  }
  return {{"type", "object"},
          {"description", "configuration entries by name or decimal id (see \"lnxpack names\")"},
          {"properties", properties},
          {"patternProperties", {{kDecimalId, {{"anyOf", {text(), int32(), {{"type", "boolean"}}, {{"type", "null"}}}}}}}},
          {"additionalProperties", false}};
}

Json messagesSchema(bool nullable) {
  Json properties = Json::object();
  for (const MessageInfo& info : messageCatalogue()) {
    Json entry = nullable ? Json{{"type", {"string", "null"}}, {"maxLength", kMaxLauncherText}} : text();
    entry["default"] = wideToUtf8(info.defaultText);
    properties[std::to_string(info.id)] = entry;
  }
  Json other = nullable ? Json{{"type", {"string", "null"}}, {"maxLength", kMaxLauncherText}} : text();
  return {{"type", "object"},
          {"properties", properties},
          {"patternProperties", {{kDecimalId, other}}},
          {"additionalProperties", false}};
}

// Without "rawIds": true, only the ids of the catalogue (and the option lines).
Json knownIdsOnly() {
  Json configNames = {{"pattern", kOptionLineId}};
  Json names = Json::array();
  for (const ConfigInfo& info : configCatalogue()) {
    names.push_back(info.name);
    names.push_back(std::to_string(info.id));
  }
  Json messageIds = Json::array();
  for (const MessageInfo& info : messageCatalogue()) messageIds.push_back(std::to_string(info.id));
  Json knownMessages = {{"propertyNames", {{"enum", messageIds}}}};
  return {{"properties",
           {{"config", {{"propertyNames", {{"anyOf", {{{"enum", names}}, configNames}}}}}},
            {"messages", knownMessages},
            {"localisedSets", {{"items", {{"properties", {{"messages", knownMessages}}}}}}}}}};
}

Json strictObject(Json properties, Json required) {
  return {{"type", "object"}, {"properties", std::move(properties)}, {"required", std::move(required)},
          {"additionalProperties", false}};
}

} // namespace

Json projectSchema() {
  Json localisedSet = strictObject(
      {{"locale", {{"type", "string"}, {"pattern", "^[a-z]{2}(_[A-Z]{2})?$"}, {"description", "\"ll\" or \"ll_CC\""}}},
       {"messages", messagesSchema(false)}},
      Json::array({"locale", "messages"}));
  Json file = strictObject({{"name", {{"type", "string"},
                                      {"pattern", kFileName},
                                      {"description", "as extracted; one directory level at most, separated by \"\\\"; "
                                                      "no Windows device names"}}},
                            {"source", {{"type", "string"}, {"description", "relative to the project file"}}}},
                           Json::array({"name", "source"}));
  Json runtime = strictObject(
      {{"directory",
        {{"type", "string"},
         {"description", "the runtime directory, packed as jre.tar.gz; its jvm.dll must be of the stub's width"}}},
       {"packed", {{"type", "boolean"}, {"default", false}, {"description", "its jars are Pack200 files (153)"}}}},
      Json::array({"directory"}));
  Json properties = {
      {"$schema", {{"type", "string"}, {"description", "this schema, for editors; lnxpack ignores it"}}},
      {"stub",
       {{"type", "string"},
        {"description", "the launcher stub, 32-bit lnxlauncher.exe or 64-bit lnxlauncher64.exe, relative to the "
                        "project file; --stub overrides it"}}},
      {"checksum", {{"type", "boolean"}, {"default", true}, {"description", "store the CRC-32 of the covered range"}}},
      {"rawIds", {{"type", "boolean"}, {"default", false}, {"description", "store ids the launcher's catalogue does not hold"}}},
      {"defaults", {{"type", "boolean"}, {"default", true}, {"description", "start from the default configuration and English messages"}}},
      {"config", configSchema()},
      {"messages", messagesSchema(true)},
      {"localisedSets", {{"type", "array"}, {"items", localisedSet}}},
      {"files", {{"type", "array"}, {"items", file}, {"description", "the included files in Payload order"}}},
      {"javaData", {{"type", "string"}, {"description", "bytes after the files, for the Java side"}}},
      {"runtime", runtime}};
  Json schema = {{"$schema", "https://json-schema.org/draft/2020-12/schema"},
                 {"title", "lnxpack project file"},
                 {"type", "object"},
                 {"properties", properties},
                 {"additionalProperties", false},
                 {"if", {{"properties", {{"rawIds", {{"const", true}}}}}, {"required", Json::array({"rawIds"})}}},
                 {"else", knownIdsOnly()}};
  return schema;
}

} // namespace lnx::pack
