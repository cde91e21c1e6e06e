#include "launcher/command_line.h"

#include <cstring>

namespace lnx {

int splitCommandLine(const std::wstring& commandLine, ArgumentList& args) {
  const size_t npos = std::wstring::npos;
  size_t p = 0;
  const size_t end = commandLine.size();
  while (p < end) {
    size_t doubleQuote = commandLine.find(L'"', p);
    size_t singleQuote = commandLine.find(L'\'', p);
    size_t space = commandLine.find(L' ', p);
    if (space == p) {
      ++p;
      continue;
    }
    bool spaceFirst = space != npos && (doubleQuote == npos || space < doubleQuote) &&
                      (singleQuote == npos || space < singleQuote);
    if (spaceFirst) {
      args.push_back(commandLine.substr(p, space - p));
      p = space + 1;
      continue;
    }
    size_t open;
    if (doubleQuote != npos && (singleQuote == npos || doubleQuote < singleQuote)) {
      open = doubleQuote;
    } else if (singleQuote != npos) {
      open = singleQuote;
    } else {
      args.push_back(commandLine.substr(p));
      break;
    }
    size_t close = commandLine.find(commandLine[open], open + 1);
    if (close == npos) close = end;
    args.push_back(commandLine.substr(p, open - p) + commandLine.substr(open + 1, close - open - 1));
    if (close + 1 >= end) break;
    p = commandLine[close + 1] == L' ' ? close + 2 : close + 1;
  }
  return 0;
}

StartModes detectStartModes(const char* commandTail) {
  StartModes modes;
  if (!commandTail) return modes;
  auto startsWith = [commandTail](const char* literal) {
    return std::strncmp(commandTail, literal, std::strlen(literal)) == 0;
  };
  modes.reboot = std::strcmp(commandTail, "__lnx_reboot") == 0;
  modes.languageRestart = startsWith("__lnx_lang_restart");
  modes.extractAndExit = startsWith("__lnx_extract_and_exit");
  modes.tempCleanup = startsWith("__lnx_windel");
  return modes;
}

bool takeCreateLogOption(ArgumentList& args) {
  if (args.size() <= 1) return false;
  const std::wstring& first = args[1];
  if (first != L"-create-lnx-log" && first != L"-create-mrv-log" && first != L"/create-lnx-log" &&
      first != L"/create-mrv-log")
    return false;
  args.erase(args.begin() + 1);
  return true;
}

size_t findTempOption(const ArgumentList& args) {
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == L"-temp" || args[i] == L"/temp") return i;
  return args.size();
}

} // namespace lnx
