#pragma once
// The launcher's own reading of its command line: which special mode the narrow command
// tail selects, and the options the entry takes out of the argument list.
#include <cstddef>

#include "base/argument_list.h"

namespace lnx {

struct StartModes {
  bool reboot = false;         // the tail is exactly "__lnx_reboot"
  bool languageRestart = false; // the tail starts with "__lnx_lang_restart"
  bool extractAndExit = false;  // the tail starts with "__lnx_extract_and_exit"
  bool tempCleanup = false;     // the tail starts with "__lnx_windel" (needs 3 tokens too)
};

// commandTail may be null.
StartModes detectStartModes(const char* commandTail);

// Removes the create-log option when it is the first argument after the program path;
// returns whether it was there.
bool takeCreateLogOption(ArgumentList& args);

// The index of the first "-temp" or "/temp", or args.size() when there is none.
size_t findTempOption(const ArgumentList& args);

} // namespace lnx
