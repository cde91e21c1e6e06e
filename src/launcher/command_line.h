#pragma once
// The launcher's command-line grammar: how the wide command line is split into
// arguments, and which special mode the narrow command tail selects.
#include <string>
#include <vector>

namespace lnx {

using ArgumentList = std::vector<std::wstring>;

// Appends the tokens of commandLine to args; returns 0. Only the space separates; single
// and double quotes group; there is no escape character; tabs are ordinary characters.
// Text glued to a closing quote starts a new token ("a b"c gives `a b` and `c`).
int splitCommandLine(const std::wstring& commandLine, ArgumentList& args);

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
