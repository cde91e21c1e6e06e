#pragma once
// The Payload's header fields, ConfigBlock, MessageTable and localised message sets.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "payload/record_reader.h"

namespace lnx {

struct LocalisedSet {
  std::string locale;
  std::vector<std::pair<int32_t, std::wstring>> entries;
};

struct PayloadTables {
  int32_t checksumFlag = 0;
  uint32_t checksum = 0;
  int64_t coveredLength = 0;
  std::map<int32_t, std::string> configValues; // a later entry of the same id wins
  std::map<int32_t, std::wstring> messages;    // the defaults, then every applying set
  std::vector<LocalisedSet> localisedSets;     // as stored
  std::string locale;                          // the locale the sets were matched against
  uint64_t tablesEnd = 0;                      // where the file records start
};

// Reads from the Payload start (the reader's position): magic, header, tables. The locale
// is chosen (chooseLocale) between the MessageTable and the localised sets, and the sets
// whose names are prefixes of it are applied in file order. Throws PayloadReadError,
// "Internal Error: magic" for a wrong magic.
PayloadTables readTables(RecordReader& reader, const std::function<std::string()>& chooseLocale);

// A set applies when its name equals the start of the locale ("zh" applies to "zh_CN").
bool localisedSetApplies(const std::string& setName, const std::string& locale);

// The tables of this process, read once at start-up and read-only afterwards.
void installTables(PayloadTables tables);
const PayloadTables& installedTables();

// Typed lookups; an absent id reads as empty text or 0.
// The value cut to bufferSize - 1 bytes; a cut is logged.
std::string getConfigString(int id, size_t bufferSize);
// The value widened, cut to bufferChars - 1 characters.
std::wstring getConfigWString(int id, size_t bufferChars = 6000);
int getConfigInt(int id);
std::string getConfigCopy(int id);
std::wstring getMessage(int id);
std::wstring getMessageOrConfig(int id);

// The C library's atoi rules: leading white space, optional sign, digits; no digits gives 0.
int parseConfigInt(const std::string& text);

} // namespace lnx
