// The command-line grammar (splitCommandLine over UTF-16 units) and the launcher's reading
// of the argument list and of the narrow command tail. Tokens never hold more than the
// line did; without quotes they are the line's space-separated words.
#include <cstring>
#include <string>

#include "base/argument_list.h"
#include "fuzz_check.h"
#include "launcher/command_line.h"

namespace {

std::wstring unitsOf(const uint8_t* data, size_t size) {
  std::wstring units;
  for (size_t i = 0; i + 1 < size; i += 2) units += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return units;
}

std::wstring wordsJoined(const std::wstring& line) {
  std::wstring joined;
  size_t start = line.find_first_not_of(L' ');
  while (start != std::wstring::npos) {
    size_t end = line.find(L' ', start);
    if (!joined.empty()) joined += L' ';
    joined += line.substr(start, end == std::wstring::npos ? end : end - start);
    start = end == std::wstring::npos ? end : line.find_first_not_of(L' ', end);
  }
  return joined;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  const std::wstring line = unitsOf(data, size);
  ArgumentList args;
  fuzz::check(splitCommandLine(line, args) == 0, "splitCommandLine returns 0");
  size_t characters = 0;
  std::wstring joined;
  for (const std::wstring& arg : args) {
    characters += arg.size();
    joined += (joined.empty() ? L"" : L" ") + arg;
  }
  fuzz::check(characters <= line.size(), "tokens hold no more than the line");
  if (line.find_first_of(L"\"'") == std::wstring::npos)
    fuzz::check(joined == wordsJoined(line), "without quotes the tokens are the words");

  size_t count = args.size();
  bool taken = takeCreateLogOption(args);
  fuzz::check(args.size() == count - (taken ? 1 : 0), "the create-log option is taken once");
  fuzz::check(findTempOption(args) <= args.size(), "the temp option's index is inside the list");

  std::string tail(reinterpret_cast<const char*>(data), size);
  detectStartModes(tail.c_str());
  return 0;
}
