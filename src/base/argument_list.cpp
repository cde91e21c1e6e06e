#include "base/argument_list.h"

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

} // namespace lnx
