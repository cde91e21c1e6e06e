// Variable expansion of narrow and wide texts with values, environment entries and a
// capacity from the input: a text that fit its buffer still fits after the expansion.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "jvm/variable_expansion.h"
#include "text/codepage.h"

namespace lnx {
namespace {

template <class String> void expandAndCheck(String text, const ExpansionInputs<String>& inputs, size_t capacity) {
  bool fitted = capacity > 0 && text.size() <= capacity - 1;
  expandVariablesWith(text, inputs, capacity);
  if (fitted) fuzz::check(text.size() <= capacity - 1, "an expanded text fits its buffer");
}

} // namespace
} // namespace lnx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  FuzzedDataProvider provider(data, size);
  size_t capacity = provider.ConsumeIntegralInRange<size_t>(0, 2 * kExpansionBufferChars);
  ExpansionInputs<std::string> narrow;
  narrow.launcherDirectory = provider.ConsumeRandomLengthString(64);
  narrow.launcherTempDirectory = provider.ConsumeRandomLengthString(64);
  narrow.jvmHome = provider.ConsumeRandomLengthString(64);
  narrow.tempBase = provider.ConsumeRandomLengthString(64);
  for (int i = 0; i < 3; ++i) narrow.environment.push_back(provider.ConsumeRandomLengthString(64));
  const std::string text = provider.ConsumeRemainingBytesAsString();

  ExpansionInputs<std::wstring> wide{narrowToWide(narrow.launcherDirectory), narrow.launcherTempDirectory,
                                     narrow.jvmHome, narrowToWide(narrow.tempBase), {}};
  for (const std::string& entry : narrow.environment) wide.environment.push_back(narrowToWide(entry));
  expandAndCheck(text, narrow, capacity);
  expandAndCheck(narrowToWide(text), wide, capacity);
  return 0;
}
