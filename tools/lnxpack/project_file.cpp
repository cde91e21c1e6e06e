// Project file format (JSON; // and /* */ comments are allowed):
//
// {
//   "$schema": "../../docs/project.schema.json",
//       ignored: the JSON Schema of this format (lnxpack schema), for editors
//   "stub": "../../build/win32/src/lnxlauncher.exe",
//       the launcher stub, relative to the project file; --stub overrides it
//   "checksum": true,
//       store the CRC-32 of the covered range (default true; false stores flag 0, CRC 0)
//   "rawIds": false,
//       true lets "config", "messages" and "localisedSets" use ids the launcher's catalogue
//       does not hold (see "lnxpack names"); otherwise they are refused as misspellings
//   "defaults": true,
//       start from the catalogue's default configuration and English messages (default
//       true); false starts from empty tables
//   "config": { "mainClass": "x.Y", "107": "5", "launcherType": 5, "noStartupTimeout": true,
//               "applicationId": null },
//       key: a readable name from the catalogue or a decimal id; value: a string, an integer
//       (stored as decimal text), a boolean (stored "1" or "0") or null (no entry at all),
//       checked against the kind the catalogue gives (flag, whole number, Java version,
//       family letter "i" or "e", text)
//   "messages": { "1000": "Error", "20016": "..." },
//       key: a decimal id; value: the text, or null for no entry
//   "localisedSets": [ { "locale": "zh_CN", "messages": { "20016": "..." } } ],
//       stored in this order; the launcher applies every set whose locale is a prefix of
//       its own ("zh" applies to "zh_CN"); a locale is "ll" or "ll_CC", each name once
//   "files": [ { "name": "lnxruntime.jar", "source": "files/lnxruntime.jar" },
//              { "name": "img\\logo.png", "source": "files/logo.png" } ],
//       in Payload order; name as extracted, at most one directory level separated by a
//       backslash, no Windows device names (CON, NUL, COM1, ...) and no trailing dots or
//       spaces; source relative to the project file
//   "javaData": "files/javadata.bin"
//       optional: raw bytes placed after the file records, for the Java side
//   "runtime": { "directory": "jre", "packed": false }
//       optional: a Java runtime directory, packed by the builder as "jre.tar.gz" (GNU tar,
//       gzip) and included after "files"; entry 151 gets the archive's uncompressed size;
//       "packed" sets 153 (the runtime's jars are Pack200 files to restore)
// }
//
// Configuration 2002 and 2003 (number and ";"-separated names of the included files) are
// filled from "files" (and "runtime") and cannot be set. Narrow text (configuration values, file names,
// locale names) must be representable in the narrow code page (Latin-1 without U+0080 to
// U+009F, read alike by Windows code page 1252); messages are Unicode. Values and messages
// hold at most 5999 characters. Unknown keys, and a key given twice in one object, are
// errors, so that a misspelt or repeated setting is not silently ignored.
#include "lnxpack/project_file.h"

#include <cstdint>
#include <initializer_list>
#include <set>

#include <nlohmann/json.hpp>

#include "lnxpack/file_io.h"
#include "lnxpack/project_checks.h"
#include "lnxpack/runtime_archive.h"
#include "lnxpack/text_convert.h"
#include "lnxpack/tool_error.h"
#include "payload/catalogue.h"
#include "text/utf16.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

using Json = nlohmann::json;

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

std::optional<int32_t> decimalId(const std::string& key) {
  if (key.empty() || key.size() > 10 || key.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  uint64_t value = std::stoull(key);
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

// The parser's callback that refuses a key given twice in one object (the parser itself
// would keep the last one silently).
class RepeatedKeyCheck {
public:
  explicit RepeatedKeyCheck(const fs::path& file) : file_(file) {}
  bool operator()(int, Json::parse_event_t event, const Json& parsed) {
    if (event == Json::parse_event_t::object_start) keys_.emplace_back();
    if (event == Json::parse_event_t::object_end) keys_.pop_back();
    if (event == Json::parse_event_t::key && !keys_.back().insert(parsed.get<std::string>()).second)
      throw ToolError{file_, "the key " + inQuotes(parsed.get<std::string>()) +
                                 " is given twice in one object (JSON would keep only the last): give it once"};
    return true;
  }

private:
  fs::path file_;
  std::vector<std::set<std::string>> keys_;
};

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

class ProjectParser {
public:
  explicit ProjectParser(fs::path file) : file_(std::move(file)) {}
  Project parse(const Json& document);

private:
  [[noreturn]] void fail(const std::string& problem) const { throw ToolError{file_, problem}; }
  void checkKeys(const Json& object, std::initializer_list<const char*> allowed,
                 const std::string& where) const;
  const Json* member(const Json& object, const char* key, Json::value_t type, const std::string& where) const;
  const Json& required(const Json& object, const char* key, Json::value_t type,
                       const std::string& where) const;
  fs::path resolve(const Json& path) const;
  std::string narrow(const std::string& utf8, const std::string& where) const;
  template <class IdOf, class Apply>
  void forEachEntry(const Json& object, const std::string& where, IdOf idOf, Apply apply) const;
  int32_t configId(const std::string& key) const;
  int32_t messageId(const std::string& key, const std::string& where) const;
  void checkConfigIds(const std::map<int32_t, std::string>& config) const;
  std::wstring messageText(const Json& value, const std::string& where) const;
  std::optional<std::string> configText(const Json& value, const std::string& where) const;
  void applyConfig(const Json& overrides, std::map<int32_t, std::string>& config) const;
  void applyMessages(const Json& overrides, std::map<int32_t, std::wstring>& messages) const;
  LocalisedSet parseSet(const Json& set, const std::string& where) const;
  IncludedFile parseFile(const Json& entry, const std::string& where) const;

  fs::path file_;
  bool rawIds_ = false;
};

void ProjectParser::checkKeys(const Json& object, std::initializer_list<const char*> allowed,
                              const std::string& where) const {
  for (const auto& item : object.items()) {
    bool known = false;
    for (const char* key : allowed) known = known || item.key() == key;
    if (!known) fail(where + ": unknown key " + inQuotes(item.key()));
  }
}

const Json* ProjectParser::member(const Json& object, const char* key, Json::value_t type,
                                  const std::string& where) const {
  auto it = object.find(key);
  if (it == object.end()) return nullptr;
  if (it->type() != type)
    fail(where + ": " + inQuotes(key) + " must be " + Json(type).type_name() + ", not " + it->type_name());
  return &*it;
}

const Json& ProjectParser::required(const Json& object, const char* key, Json::value_t type,
                                    const std::string& where) const {
  const Json* value = member(object, key, type, where);
  if (!value) fail(where + ": " + inQuotes(key) + " is missing");
  return *value;
}

fs::path ProjectParser::resolve(const Json& path) const {
  fs::path given = fs::u8path(path.get<std::string>());
  return given.is_absolute() ? given : file_.parent_path() / given;
}

std::string ProjectParser::narrow(const std::string& utf8, const std::string& where) const {
  std::string text;
  if (!utf8ToPayloadNarrow(utf8, text))
    fail(where + ": " + inQuotes(utf8) + " has characters outside the narrow code page: the launcher hands file " +
         "names and configuration values to Windows as 8-bit text; use ASCII or Latin-1 letters");
  if (std::optional<std::string> problem = narrowTextProblem(text, utf8)) fail(where + ": " + *problem);
  if (text.size() > kMaxLauncherText)
    fail(where + ": the text has " + std::to_string(text.size()) + " bytes; the launcher reads at most " +
         std::to_string(kMaxLauncherText));
  return text;
}

// Calls apply(id, value, where) for every member, refusing two keys that name one id.
template <class IdOf, class Apply>
void ProjectParser::forEachEntry(const Json& object, const std::string& where, IdOf idOf, Apply apply) const {
  std::set<int32_t> seen;
  for (const auto& item : object.items()) {
    int32_t id = idOf(item.key());
    std::string entryWhere = where + " " + inQuotes(item.key());
    if (!seen.insert(id).second) fail(entryWhere + ": id " + std::to_string(id) + " is given twice");
    apply(id, item.value(), entryWhere);
  }
}

int32_t ProjectParser::configId(const std::string& key) const {
  if (std::optional<int32_t> id = decimalId(key)) return *id;
  if (const ConfigInfo* info = findConfigByName(key)) return info->id;
  fail("config: " + inQuotes(key) + " is neither a configuration name nor a decimal id");
}

int32_t ProjectParser::messageId(const std::string& key, const std::string& where) const {
  std::optional<int32_t> id = decimalId(key);
  if (!id) fail(where + ": " + inQuotes(key) + " is not a decimal id");
  if (!rawIds_ && defaultMessageText(*id).empty())
    fail(where + ": " + inQuotes(key) + " is no message id the launcher knows (1000 to 1020, 20001 to 20020 but 20017); set " +
         "\"rawIds\": true to store it anyway");
  return *id;
}

// Every id is in the catalogue, or a version-specific option line within the configured
// count, unless the project asks for raw ids.
void ProjectParser::checkConfigIds(const std::map<int32_t, std::string>& config) const {
  if (rawIds_) return;
  auto count = config.find(config::versionOptionLineCount);
  int64_t lines = count == config.end() ? 0 : parseConfigInt(count->second);
  for (const auto& entry : config) {
    int32_t id = entry.first;
    if (findConfigById(id)) continue;
    int64_t line = (int64_t{id} - config::versionOptionLineCount - 1) / 2;
    if (id > config::versionOptionLineCount && line < lines) continue;
    fail("config " + inQuotes(std::to_string(id)) + ": the launcher reads no configuration " +
         std::to_string(id) + " (\"lnxpack names\" lists them; the version-specific option lines 10201 + 2k " +
         "and 10202 + 2k count up to versionOptionLineCount, here " + std::to_string(lines) + "); set \"rawIds\": " +
         "true to store it anyway");
  }
}

std::wstring ProjectParser::messageText(const Json& value, const std::string& where) const {
  std::wstring text = utf8ToWide(value.get<std::string>());
  if (text.size() > kMaxLauncherText)
    fail(where + ": the message has " + std::to_string(text.size()) + " characters; the launcher shows at most " +
         std::to_string(kMaxLauncherText));
  return text;
}

std::optional<std::string> ProjectParser::configText(const Json& value, const std::string& where) const {
  switch (value.type()) {
  case Json::value_t::string:
    return narrow(value.get<std::string>(), where);
  case Json::value_t::number_integer:
    return std::to_string(value.get<int64_t>());
  case Json::value_t::number_unsigned:
    return std::to_string(value.get<uint64_t>());
  case Json::value_t::boolean:
    return std::string(value.get<bool>() ? "1" : "0");
  case Json::value_t::null:
    return std::nullopt;
  default:
    fail(where + ": the value must be a string, an integer, a boolean or null, not " + value.type_name());
  }
}

void ProjectParser::applyConfig(const Json& overrides, std::map<int32_t, std::string>& config) const {
  auto idOf = [this](const std::string& key) { return configId(key); };
  forEachEntry(overrides, "config", idOf, [&](int32_t id, const Json& value, const std::string& where) {
    if (id == config::includedFileCount || id == config::includedFileNames)
      fail(where + ": entry " + std::to_string(id) + " is filled from \"files\" and cannot be set");
    const ConfigInfo* info = findConfigById(id);
    if (info && !value.is_null())
      if (std::optional<std::string> problem = configValueProblem(info->kind, value))
        fail(where + ": " + *problem);
    if (std::optional<std::string> text = configText(value, where))
      config[id] = *text;
    else
      config.erase(id);
  });
}

void ProjectParser::applyMessages(const Json& overrides, std::map<int32_t, std::wstring>& messages) const {
  auto idOf = [this](const std::string& key) { return messageId(key, "messages"); };
  forEachEntry(overrides, "messages", idOf, [&](int32_t id, const Json& value, const std::string& where) {
    if (value.is_null())
      messages.erase(id);
    else if (value.is_string())
      messages[id] = messageText(value, where);
    else
      fail(where + ": a message must be a string or null, not " + value.type_name());
  });
}

LocalisedSet ProjectParser::parseSet(const Json& set, const std::string& where) const {
  if (!set.is_object()) fail(where + " must be an object");
  checkKeys(set, {"locale", "messages"}, where);
  LocalisedSet result;
  result.locale = narrow(required(set, "locale", Json::value_t::string, where).get<std::string>(), where);
  if (std::optional<std::string> problem = localeNameProblem(result.locale)) fail(where + ": " + *problem);
  const Json& messages = required(set, "messages", Json::value_t::object, where);
  std::string messagesWhere = where + " messages";
  std::map<int32_t, std::wstring> ordered;
  auto idOf = [&](const std::string& key) { return messageId(key, messagesWhere); };
  forEachEntry(messages, messagesWhere, idOf,
               [&](int32_t id, const Json& value, const std::string& entryWhere) {
                 if (!value.is_string())
                   fail(entryWhere + ": a message must be a string, not " + value.type_name());
                 ordered[id] = messageText(value, entryWhere);
               });
  result.entries.assign(ordered.begin(), ordered.end());
  return result;
}

IncludedFile ProjectParser::parseFile(const Json& entry, const std::string& where) const {
  if (!entry.is_object()) fail(where + " must be an object");
  checkKeys(entry, {"name", "source"}, where);
  IncludedFile file;
  file.name = narrow(required(entry, "name", Json::value_t::string, where).get<std::string>(), where);
  if (std::optional<std::string> problem = fileNameProblem(file.name)) fail(where + ": " + *problem);
  file.source = resolve(required(entry, "source", Json::value_t::string, where));
  return file;
}

Project ProjectParser::parse(const Json& document) {
  if (!document.is_object()) fail("the project must be a JSON object");
  checkKeys(document,
            {"$schema", "stub", "checksum", "rawIds", "defaults", "config", "messages", "localisedSets", "files",
             "javaData", "runtime"},
            "project");
  Project project;
  const std::string top = "project";
  member(document, "$schema", Json::value_t::string, top); // for editors: checked, not used
  if (const Json* stub = member(document, "stub", Json::value_t::string, top)) project.stub = resolve(*stub);
  if (const Json* checksum = member(document, "checksum", Json::value_t::boolean, top))
    project.checksum = checksum->get<bool>();
  if (const Json* rawIds = member(document, "rawIds", Json::value_t::boolean, top)) rawIds_ = rawIds->get<bool>();
  const Json* defaults = member(document, "defaults", Json::value_t::boolean, top);
  if (!defaults || defaults->get<bool>()) {
    for (const ConfigInfo& info : configCatalogue())
      if (info.defaultValue) project.config[info.id] = info.defaultValue;
    for (const MessageInfo& info : messageCatalogue()) project.messages[info.id] = info.defaultText;
  }
  if (const Json* config = member(document, "config", Json::value_t::object, top))
    applyConfig(*config, project.config);
  if (const Json* messages = member(document, "messages", Json::value_t::object, top))
    applyMessages(*messages, project.messages);
  checkConfigIds(project.config);
  std::set<std::string> setNames;
  if (const Json* sets = member(document, "localisedSets", Json::value_t::array, top))
    for (size_t i = 0; i < sets->size(); ++i) {
      std::string where = "localisedSets[" + std::to_string(i) + "]";
      LocalisedSet set = parseSet((*sets)[i], where);
      if (!setNames.insert(set.locale).second)
        fail(where + ": a second set " + inQuotes(set.locale) + ": merge its messages into the first");
      project.localisedSets.push_back(std::move(set));
    }

  std::string names;
  std::set<std::string> seenNames; // Windows file names ignore case
  if (const Json* files = member(document, "files", Json::value_t::array, top))
    for (size_t i = 0; i < files->size(); ++i) {
      std::string where = "files[" + std::to_string(i) + "]";
      IncludedFile file = parseFile((*files)[i], where);
      if (!seenNames.insert(lowerAscii(file.name)).second)
        fail(where + ": the name " + inQuotes(file.name) + " is included twice");
      names += (names.empty() ? "" : ";") + file.name;
      project.files.push_back(std::move(file));
    }
  project.config[config::includedFileCount] = std::to_string(project.files.size());
  project.config[config::includedFileNames] = names;

  if (const Json* javaData = member(document, "javaData", Json::value_t::string, top))
    project.javaData = resolve(*javaData);
  if (const Json* runtime = member(document, "runtime", Json::value_t::object, top)) {
    const std::string where = "runtime";
    checkKeys(*runtime, {"directory", "packed"}, where);
    project.runtime = BundledRuntime{resolve(required(*runtime, "directory", Json::value_t::string, where))};
    if (const Json* packed = member(*runtime, "packed", Json::value_t::boolean, where))
      project.config[config::jrePacked] = packed->get<bool>() ? "1" : "0";
    if (seenNames.count(kRuntimeArchiveName))
      fail(where + ": the bundled runtime is included as " + inQuotes(kRuntimeArchiveName) + ", which \"files\" names too");
  }
  return project;
}

} // namespace

Project loadProject(const fs::path& projectFile) {
  std::vector<uint8_t> bytes = readFileBytes(projectFile);
  Json document;
  try {
    document = Json::parse(bytes.begin(), bytes.end(), RepeatedKeyCheck(projectFile), true, /*ignore_comments=*/true);
  } catch (const Json::exception& error) { // a syntax error, or a number too large for a double
    std::string what = error.what();
    size_t tag = what.find("] "); // drop the library's "[json.exception.parse_error.101] "
    throw ToolError{projectFile, "invalid JSON: " + (tag == std::string::npos ? what : what.substr(tag + 2))};
  }
  return ProjectParser(projectFile).parse(document);
}

} // namespace lnx::pack
