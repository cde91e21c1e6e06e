#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "lnxpack/cli.h"
#include "text/utf16.h"

// The wide command line (linked with -municode), handed on as UTF-8 like the host's; the
// output is UTF-8 too, in binary mode, so that a pipe gets the host's bytes.
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(lnx::wideToUtf8(argv[i]));
  return lnx::pack::runCommandLine(args, std::cout, std::cerr);
}
