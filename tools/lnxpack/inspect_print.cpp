#include "lnxpack/inspect_print.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <optional>

#include <nlohmann/json.hpp>

#include "lnxpack/jvm_library.h"
#include "lnxpack/text_convert.h"
#include "payload/catalogue.h"
#include "text/utf16.h"

namespace lnx::pack {

namespace {

using Json = nlohmann::ordered_json;

// Control characters shown as escapes, so that every entry stays on one line.
std::string printable(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out;
}

std::string hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string payloadOffset(uint64_t position, uint32_t payloadStart) {
  return "payload offset " + std::to_string(position - payloadStart);
}

class TextPrinter {
public:
  explicit TextPrinter(std::ostream& out) : out_(out) {}
  void field(const std::string& label, const std::string& value) {
    out_ << std::left << std::setw(22) << label << value << '\n';
  }
  void heading(const std::string& title, size_t count) { out_ << '\n' << title << " (" << count << ")\n"; }
  void entry(int id, const std::string& name, size_t nameWidth, const std::string& value) {
    out_ << "  " << std::right << std::setw(6) << id << "  " << std::left << std::setw(static_cast<int>(nameWidth))
         << name << (nameWidth ? "  " : "") << printable(value) << '\n';
  }
  std::ostream& out() { return out_; }

private:
  std::ostream& out_;
};

void printTables(const PayloadTables& tables, TextPrinter& printer) {
  size_t nameWidth = 1;
  for (const auto& entry : tables.configValues)
    if (const ConfigInfo* info = findConfigById(entry.first))
      nameWidth = std::max(nameWidth, std::string(info->name).size());
  printer.heading("configuration", tables.configValues.size());
  for (const auto& [id, value] : tables.configValues) {
    const ConfigInfo* info = findConfigById(id);
    printer.entry(id, info ? info->name : "-", nameWidth, payloadNarrowToUtf8(value));
  }
  printer.heading("messages", tables.messages.size());
  for (const auto& [id, text] : tables.messages)
    printer.entry(id, "", 0, wideToUtf8(text));
  printer.heading("localised sets", tables.localisedSets.size());
  for (const LocalisedSet& set : tables.localisedSets) {
    printer.out() << "  \"" << payloadNarrowToUtf8(set.locale) << "\" (" << set.entries.size() << " entries)\n";
    for (const auto& [id, text] : set.entries)
      printer.entry(id, "", 0, wideToUtf8(text));
  }
}

// Why the setup file's launcher could not load a jvm.dll of its runtime; "" when it could
// (or when the launcher is neither of the two, and the library's header reads).
std::string jvmLibraryVerdict(const InspectReport& report, const JvmLibrary& library) {
  if (std::optional<PeWidth> launcher = report.launcher.width())
    return jvmLibraryProblem(library, *launcher, "this setup file").value_or("");
  return library.unreadable;
}

std::string launcherText(const PeTarget& launcher) {
  return describe(launcher) + (launcher.width() ? "" : " (neither the 32-bit nor the 64-bit launcher!)");
}

void printRecords(const InspectReport& report, TextPrinter& printer) {
  printer.heading("included files", report.files.size());
  if (!report.files.empty())
    printer.out() << "  " << std::right << std::setw(12) << "size" << std::setw(14) << "data offset"
                  << "  name\n";
  for (const FileRecord& file : report.files)
    printer.out() << "  " << std::right << std::setw(12) << file.size << std::setw(14) << file.dataOffset << "  "
                  << printable(payloadNarrowToUtf8(file.name)) << '\n';
  if (!report.recordsEnd) return;
  const RecordsEnd& end = *report.recordsEnd;
  printer.out() << '\n';
  std::string where = payloadOffset(end.position, *report.payloadStart);
  if (end.unextractedPosition != 0)
    printer.field("unextracted position", std::to_string(end.unextractedPosition) +
                                              " (absolute file offset, as the launcher records it; " + where + ")");
  else
    printer.field("unextracted position",
                  "0 (the launcher records 0 without included files; the records end at " + where + ")");
  printer.field("java-side data", std::to_string(end.javaDataLength) + " bytes");
  if (!report.runtime) return;
  const RuntimeArchiveCheck& runtime = *report.runtime;
  printer.field("bundled runtime", std::to_string(runtime.files) + " files, " + std::to_string(runtime.directories) +
                                       " directories, " + std::to_string(runtime.tarBytes) +
                                       " bytes read up to the end blocks");
  printer.field("runtime extraction", runtime.extractsCleanly ? "extracts cleanly" : "would fail: " + runtime.problem);
  for (const JvmLibrary& library : runtime.jvmLibraries) {
    std::string verdict = jvmLibraryVerdict(report, library);
    printer.field("runtime jvm.dll",
                  printable(library.name) + ": " + (verdict.empty() ? describe(*library.target) : verdict + "!"));
  }
}

std::string signatureText(const InspectReport& report) {
  if (report.signatureSize == 0) return "none";
  std::string text = std::to_string(report.signatureSize) + " bytes at offset " + std::to_string(report.signatureOffset);
  if (uint64_t{report.signatureOffset} + report.signatureSize > report.fileSize) text += " (runs past the end of the file!)";
  return text;
}

} // namespace

void printReportText(const InspectReport& report, const std::filesystem::path& file, const std::string& locale,
                     std::ostream& out) {
  TextPrinter printer(out);
  printer.field("setup file", file.string());
  printer.field("launcher", launcherText(report.launcher));
  printer.field("PE sections", std::to_string(report.sectionCount) +
                                   (report.lastSectionEndsLast ? "" : " (the last section header does not end last!)"));
  printer.field("signature", signatureText(report));
  if (!report.payloadStart) return;
  uint32_t start = *report.payloadStart;
  printer.field("payload start", std::to_string(start) + " (" + hex(start) + ")");
  if (report.header) {
    const PayloadHeader& header = *report.header;
    printer.field("magic", header.magicOk ? "ok" : "WRONG");
    printer.field("checksum flag", std::to_string(header.checksumFlag));
    printer.field("stored checksum", hex(header.checksum));
    printer.field("covered length", std::to_string(header.coveredLength) + " bytes from payload offset 20");
    printer.field("checksum verdict", report.checksumVerdict);
  }
  if (!report.tables) return;
  const PayloadTables& tables = *report.tables;
  printer.field("tables end", std::to_string(tables.tablesEnd) + " (" + payloadOffset(tables.tablesEnd, start) + ")");
  printer.field("locale", locale.empty() ? "none (only sets with an empty name apply)" : locale);
  printTables(tables, printer);
  printRecords(report, printer);
}

// The width, format and machine of an image, under bitsKey, "peFormat" and "peMachine"; null
// for what it does not have.
void putTarget(Json& json, const char* bitsKey, const std::optional<PeTarget>& target) {
  std::optional<PeWidth> width = target ? target->width() : std::nullopt;
  std::optional<std::string> format = target ? peFormatName(target->magic) : std::nullopt;
  json[bitsKey] = width ? Json(bitsOf(*width)) : Json();
  json["peFormat"] = format ? Json(*format) : Json();
  json["peMachine"] = target ? Json(target->machine) : Json();
}

void printReportJson(const InspectReport& report, const std::filesystem::path& file, const std::string& locale,
                     std::ostream& out) {
  Json json;
  json["file"] = file.string();
  putTarget(json, "launcherBits", report.launcher);
  json["sectionCount"] = report.sectionCount;
  json["lastSectionEndsLast"] = report.lastSectionEndsLast;
  json["signatureOffset"] = report.signatureOffset;
  json["signatureSize"] = report.signatureSize;
  json["locale"] = locale;
  if (report.payloadStart) json["payloadStart"] = *report.payloadStart;
  if (report.header) {
    json["magicOk"] = report.header->magicOk;
    json["checksumFlag"] = report.header->checksumFlag;
    json["checksum"] = report.header->checksum;
    json["coveredLength"] = report.header->coveredLength;
    json["checksumVerdict"] = report.checksumVerdict;
  }
  if (report.tables) {
    const PayloadTables& tables = *report.tables;
    json["tablesEnd"] = tables.tablesEnd;
    Json& config = json["config"] = Json::object();
    for (const auto& [id, value] : tables.configValues)
      config[std::to_string(id)] = payloadNarrowToUtf8(value);
    Json& messages = json["messages"] = Json::object();
    for (const auto& [id, text] : tables.messages)
      messages[std::to_string(id)] = wideToUtf8(text);
    Json& sets = json["localisedSets"] = Json::array();
    for (const LocalisedSet& set : tables.localisedSets) {
      Json entries = Json::object();
      for (const auto& [id, text] : set.entries)
        entries[std::to_string(id)] = wideToUtf8(text);
      sets.push_back({{"locale", payloadNarrowToUtf8(set.locale)}, {"messages", entries}});
    }
    Json& files = json["files"] = Json::array();
    for (const FileRecord& record : report.files)
      files.push_back(
          {{"name", payloadNarrowToUtf8(record.name)}, {"size", record.size}, {"dataOffset", record.dataOffset}});
  }
  if (report.recordsEnd) {
    json["unextractedPosition"] = report.recordsEnd->unextractedPosition;
    json["recordsEndPayloadOffset"] = report.recordsEnd->position - *report.payloadStart;
    json["javaDataLength"] = report.recordsEnd->javaDataLength;
  }
  if (report.runtime) {
    Json& runtime = json["runtime"] = {{"files", report.runtime->files},
                                       {"directories", report.runtime->directories},
                                       {"bytesRead", report.runtime->tarBytes},
                                       {"extractsCleanly", report.runtime->extractsCleanly},
                                       {"problem", report.runtime->problem}};
    Json& libraries = runtime["jvmLibraries"] = Json::array();
    for (const JvmLibrary& library : report.runtime->jvmLibraries) {
      Json entry = {{"name", library.name}};
      putTarget(entry, "bits", library.target);
      entry["problem"] = jvmLibraryVerdict(report, library);
      libraries.push_back(std::move(entry));
    }
  }
  if (report.error) json["error"] = wideToUtf8(*report.error);
  // Unpaired surrogates in a message must not stop the output.
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

} // namespace lnx::pack
