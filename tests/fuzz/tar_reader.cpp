// The runtime archive's tar reader (GNU long names, the POSIX prefix, pax records) over an
// uncompressed stream that skips as the gzip reader does; every name it creates is safe
// and every progress position lies in the dialog's range.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "memory_tar_target.h"
#include "runtime/tar_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  FuzzedDataProvider provider(data, size);
  int64_t expectedSize = provider.ConsumeIntegral<int64_t>();
  test::MemoryGzipInput input(provider.ConsumeRemainingBytesAsString());
  test::MemoryTarTarget target;
  untarStream(input, target, expectedSize);
  for (const std::string& name : target.directories) fuzz::check(isSafeArchiveName(name), "a safe directory name");
  for (const auto& [name, content] : target.files) fuzz::check(isSafeArchiveName(name), "a safe file name");
  for (int position : target.progress) fuzz::check(position >= 100 && position <= 200, "progress in 100..200");
  return 0;
}
