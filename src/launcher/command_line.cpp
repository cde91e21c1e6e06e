#include "launcher/command_line.h"

#include <cstring>

namespace lnx {

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
