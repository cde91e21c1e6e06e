// Version texts and bounds: parsing, the bound checks and the order of two versions. The
// order is strict (no version after itself, never both ways) and a version lies within
// bounds made of itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "runtime/version_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  FuzzedDataProvider provider(data, size);
  bool allowBeta = provider.ConsumeBool();
  const std::string first = provider.ConsumeRandomLengthString();
  const std::string minimum = provider.ConsumeRandomLengthString();
  const std::string maximum = provider.ConsumeRandomLengthString();
  const std::string second = provider.ConsumeRemainingBytesAsString();

  VersionBounds bounds = parseVersionBounds(minimum, maximum);
  isVersionInRange(first, bounds);
  isVersionAllowed(second, bounds, allowBeta);
  fuzz::check(!isVersionGreater(first, first), "no version orders after itself");
  fuzz::check(!(isVersionGreater(first, second) && isVersionGreater(second, first)), "the order is one way");
  fuzz::check(isVersionInRange(first, parseVersionBounds(first, first)), "a version lies within its own bounds");
  fuzz::check(isVersionAllowed(first, parseVersionBounds(first, first), true), "a version is allowed by its own bounds");
  return 0;
}
