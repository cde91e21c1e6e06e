#pragma once
// What the launcher hands to the Java side: its system properties (VM options) and the
// parameters of main, built from given inputs.
#include <optional>
#include <string>
#include <vector>

#include "base/argument_list.h"

namespace lnx {

struct SystemPropertyInputs {
  std::optional<std::string> semaphoreName; // set when the single-instance check ran
  bool manualRuntime = false;
  bool installerFamily = false;             // launcher family 'i'
  std::string moduleName;                   // the executable's 8-bit name
  std::string tempDir;
  int unextractedPosition = 0;              // -1 when a language restart extracted nothing
  std::string path;                         // PATH as the native library path left it
  std::optional<unsigned> consoleCodePage;  // none when MANPATH is set
};

// "-Dmorva.semaphoreName=…", "-Dmorva.manualJre=true", "-Dmorva.isLanternix=true",
// "-Dmorva.moduleName=…", "-Dsun.java.command=…", "-Dmorva.tempDir=…",
// "-Dmorva.unextractedPosition=…", "-Djava.library.path=…", "-Dmorva.consoleCodepage=cp…",
// each under its condition, in this order.
std::vector<std::string> launcherSystemProperties(const SystemPropertyInputs& inputs);

struct MainParameterInputs {
  bool guiLauncher = false;            // launcher type 1
  bool moduleMode = false;             // the main class is passed with a leading "/"
  std::string mainClass;
  std::wstring stderrFile;             // resolved, empty when not redirected
  std::wstring stdoutFile;
  bool javaSideFlag = false;
  std::vector<std::wstring> defaultArguments; // the configured arguments, expanded and split
  ArgumentList commandLine;            // program name first
  bool jArgumentsAreVmOptions = false;
};

// The five fixed values, the program name, the configured arguments, then the command
// line's further arguments except VM options ("-J…" when enabled, the locale option).
std::vector<std::wstring> buildMainParameters(const MainParameterInputs& inputs);

} // namespace lnx
