#pragma once
// The lnxpack command line:
//   lnxpack build PROJECT.json -o OUT.exe [--stub STUB.exe]
//   lnxpack inspect [--json] [--locale LOCALE] SETUP.exe   (exit 2 when the launcher would
//       refuse the file: no payload, a read failure or a checksum mismatch)
//   lnxpack names
//   lnxpack schema   (the project file's JSON Schema)
//   lnxpack --version, lnxpack [COMMAND] --help
#include <ostream>
#include <string>
#include <vector>

namespace lnx::pack {

// Runs one command (args without the program name); returns the exit code: 0 on success,
// 2 on a usage error or a failure, which is reported as one line on err (and, for
// inspect --json, as one JSON object with an "error" key on out).
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace lnx::pack
