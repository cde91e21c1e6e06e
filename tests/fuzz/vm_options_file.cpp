// A VM options file and the files it includes, over an in-memory set of up to five files
// (C:\opts\0 is the file read first, so it can include itself); no option holds a line
// end, and the include depth is back at 0 afterwards.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>

#include "fuzz_check.h"
#include "jvm/variable_expansion.h"
#include "jvm/vm_options.h"

namespace lnx {
namespace {

const std::wstring kDirectory = L"C:\\opts\\";

struct MemoryFiles : VmOptionsFiles {
  std::map<std::wstring, std::string> texts;
  TextFile readTextFile(const std::wstring& path) override {
    auto found = texts.find(path);
    return found == texts.end() ? TextFile() : TextFile{&found->second, found->second};
  }
  std::vector<std::string> listFiles(const std::string&, const std::string&) override { return {}; }
  bool pathExists(const std::string&) override { return false; }
};

} // namespace
} // namespace lnx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  FuzzedDataProvider provider(data, size);
  MemoryFiles files;
  for (int i = 0; i < 5 && provider.remaining_bytes() > 0; ++i)
    files.texts[kDirectory + std::to_wstring(i)] = provider.ConsumeRandomLengthString();

  VmOptionsInputs inputs;
  inputs.launcherDirectoryLong = kDirectory;
  inputs.expandWide = [](std::wstring& text, bool shortForms) {
    ExpansionInputs<std::wstring> values{shortForms ? L"C:\\OPTS~1\\" : kDirectory, "C:\\Temp\\e4j1.tmp", "C:\\jre",
                                         L"C:\\Temp", {L"HOME=C:\\home", L"INC=1"}};
    expandVariablesWith(text, values);
  };
  inputs.fail = [](int, const std::string&) {};
  VmOptionsAssembly assembly(inputs, files);
  const std::wstring first = kDirectory + L"0";
  readVmOptionsFile(assembly, files.texts[first], &first);
  fuzz::check(assembly.includeDepth == 0, "the include depth is back at 0");
  for (const std::string& option : assembly.options)
    fuzz::check(option.find('\n') == std::string::npos, "an option is one line");
  return 0;
}
