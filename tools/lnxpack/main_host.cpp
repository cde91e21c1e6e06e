#include <iostream>
#include <string>
#include <vector>

#include "lnxpack/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return lnx::pack::runCommandLine(args, std::cout, std::cerr);
}
