#include "jvm/launch_parameters.h"

#include <cwchar>

#include "payload/locale_choice.h"
#include "text/codepage.h"

namespace lnx {

namespace {
constexpr size_t kLibraryPathOptionLimit = 12000;

bool startsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}
} // namespace

std::vector<std::string> launcherSystemProperties(const SystemPropertyInputs& inputs) {
  std::vector<std::string> options;
  if (inputs.semaphoreName) options.push_back("-Dmorva.semaphoreName=" + *inputs.semaphoreName);
  if (inputs.manualRuntime) options.push_back("-Dmorva.manualJre=true");
  if (inputs.installerFamily) options.push_back("-Dmorva.isLanternix=true");
  options.push_back("-Dmorva.moduleName=" + inputs.moduleName);
  options.push_back("-Dsun.java.command=" + inputs.moduleName);
  options.push_back("-Dmorva.tempDir=" + inputs.tempDir);
  options.push_back("-Dmorva.unextractedPosition=" + std::to_string(inputs.unextractedPosition));
  std::string libraryPath = "-Djava.library.path=" + inputs.path;
  if (libraryPath.size() > kLibraryPathOptionLimit - 1) libraryPath.resize(kLibraryPathOptionLimit - 1);
  options.push_back(libraryPath);
  if (inputs.consoleCodePage) options.push_back("-Dmorva.consoleCodepage=cp" + std::to_string(*inputs.consoleCodePage));
  return options;
}

std::vector<std::wstring> buildMainParameters(const MainParameterInputs& inputs) {
  std::vector<std::wstring> parameters = {
      inputs.guiLauncher ? L"true" : L"false",
      (inputs.moduleMode ? L"/" : L"") + narrowToWide(inputs.mainClass),
      inputs.stderrFile,
      inputs.stdoutFile,
      inputs.javaSideFlag ? L"true" : L"false",
  };
  if (!inputs.commandLine.empty()) parameters.push_back(inputs.commandLine[0]);
  parameters.insert(parameters.end(), inputs.defaultArguments.begin(), inputs.defaultArguments.end());
  for (size_t i = 1; i < inputs.commandLine.size(); ++i) {
    const std::wstring& argument = inputs.commandLine[i];
    if (inputs.jArgumentsAreVmOptions && startsWith(argument, L"-J")) continue;
    if (startsWith(argument, kFormatAsDefaultOption.c_str())) continue;
    parameters.push_back(argument);
  }
  return parameters;
}

} // namespace lnx
