#include "text/narrow_conversion.h"

namespace lnx {

NarrowConversion narrowConversionFor(unsigned codePage) {
  constexpr unsigned kUtf7 = 65000, kUtf8 = 65001, kGb18030 = 54936, kSymbol = 42;
  bool noFlags = codePage == kUtf7 || codePage == kSymbol || (codePage >= 50220 && codePage <= 50229) ||
                 (codePage >= 57002 && codePage <= 57011);
  if (noFlags) return {0, false};
  if (codePage == kUtf8 || codePage == kGb18030) return {kErrorInvalidChars, false};
  return {kNoBestFitChars, true};
}

} // namespace lnx
