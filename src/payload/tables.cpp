#include "payload/tables.h"

#include <cctype>
#include <climits>

#include "log/log.h"
#include "payload/payload_format.h"
#include "text/codepage.h"

namespace lnx {

bool localisedSetApplies(const std::string& setName, const std::string& locale) {
  return locale.compare(0, setName.size(), setName) == 0;
}

PayloadTables readTables(RecordReader& reader, const std::function<std::string()>& chooseLocale) {
  PayloadTables tables;
  if (static_cast<uint32_t>(reader.readInt()) != payload::kMagic)
    throw PayloadReadError{L"Internal Error: magic"};
  tables.checksumFlag = reader.readInt();
  tables.checksum = static_cast<uint32_t>(reader.readInt());
  tables.coveredLength = reader.readLong();

  for (int32_t count = reader.readInt(), i = 0; i < count; ++i) {
    int32_t id = reader.readInt();
    tables.configValues[id] = reader.readString();
  }
  for (int32_t count = reader.readInt(), i = 0; i < count; ++i) {
    int32_t id = reader.readInt();
    tables.messages[id] = reader.readWString();
  }

  tables.locale = chooseLocale();
  for (int32_t setCount = reader.readInt(), s = 0; s < setCount; ++s) {
    LocalisedSet set;
    set.locale = reader.readString();
    bool applies = localisedSetApplies(set.locale, tables.locale);
    for (int32_t count = reader.readInt(), i = 0; i < count; ++i) {
      int32_t id = reader.readInt();
      std::wstring text = reader.readWString();
      if (applies) tables.messages[id] = text;
      set.entries.emplace_back(id, std::move(text));
    }
    tables.localisedSets.push_back(std::move(set));
  }
  tables.tablesEnd = reader.position();
  return tables;
}

namespace {
PayloadTables& processTables() {
  static PayloadTables tables;
  return tables;
}

const std::string* findConfig(int id) {
  const auto& values = processTables().configValues;
  auto it = values.find(id);
  return it == values.end() ? nullptr : &it->second;
}
} // namespace

void installTables(PayloadTables tables) { processTables() = std::move(tables); }
const PayloadTables& installedTables() { return processTables(); }

std::string getConfigString(int id, size_t bufferSize) {
  const std::string* value = findConfig(id);
  if (!value || bufferSize == 0) return std::string();
  if (value->size() > bufferSize - 1) {
    logPrint(L"ERROR: config string %d truncated (%d %d)", id, static_cast<int>(bufferSize),
             static_cast<int>(value->size()));
    return value->substr(0, bufferSize - 1);
  }
  return *value;
}

std::wstring getConfigWString(int id, size_t bufferChars) {
  const std::string* value = findConfig(id);
  if (!value || bufferChars == 0) return std::wstring();
  std::wstring wide = narrowToWide(*value);
  if (wide.size() > bufferChars - 1) wide.resize(bufferChars - 1);
  return wide;
}

int parseConfigInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1; // saturate
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int getConfigInt(int id) { return parseConfigInt(getConfigString(id, 6000)); }

std::string getConfigCopy(int id) {
  const std::string* value = findConfig(id);
  return value ? *value : std::string();
}

std::wstring getMessage(int id) {
  const auto& messages = processTables().messages;
  auto it = messages.find(id);
  return it == messages.end() ? std::wstring() : it->second;
}

std::wstring getMessageOrConfig(int id) {
  std::wstring text = getMessage(id);
  return text.empty() ? getConfigWString(id, 6000) : text;
}

} // namespace lnx
