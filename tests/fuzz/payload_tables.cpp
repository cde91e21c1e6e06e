// The Payload's PE walk and its tables (header, ConfigBlock, MessageTable, localised sets)
// over any bytes; tables that read back are written again and must read back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "payload/byte_source.h"
#include "payload/tables.h"
#include "test_payload.h"

namespace lnx {
namespace {

PayloadTables read(const std::vector<uint8_t>& bytes) {
  MemoryByteSource source(bytes);
  RecordReader reader(source);
  return readTables(reader, [] { return std::string("zh_CN"); });
}

void checkRoundTrip(const PayloadTables& tables) {
  test::TestPayload payload;
  payload.config.assign(tables.configValues.begin(), tables.configValues.end());
  // The sets applied once more change nothing.
  payload.messages.assign(tables.messages.begin(), tables.messages.end());
  for (const LocalisedSet& set : tables.localisedSets) payload.sets.emplace_back(set.locale, set.entries);
  PayloadTables again = read(payload.bytes());
  fuzz::check(again.configValues == tables.configValues, "configuration survives the round trip");
  fuzz::check(again.messages == tables.messages, "messages survive the round trip");
  fuzz::check(again.localisedSets.size() == tables.localisedSets.size(), "every set survives the round trip");
  for (size_t i = 0; i < tables.localisedSets.size(); ++i)
    fuzz::check(again.localisedSets[i].locale == tables.localisedSets[i].locale &&
                    again.localisedSets[i].entries == tables.localisedSets[i].entries,
                "a set survives the round trip");
}

} // namespace
} // namespace lnx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    MemoryByteSource source(bytes);
    RecordReader reader(source);
    seekPayloadStart(reader);
  } catch (const PayloadReadError&) {
  }
  try {
    PayloadTables tables = read(bytes);
    fuzz::check(tables.tablesEnd <= size, "the tables end inside the data");
    checkRoundTrip(tables);
  } catch (const PayloadReadError&) {
  }
  return 0;
}
