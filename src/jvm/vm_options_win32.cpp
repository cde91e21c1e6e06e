// This process's inputs for the VM option assembly: configuration comes from the installed
// tables, the rest from the command line, the environment, the file system and the state
// of the run.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "jvm/variables.h"
#include "jvm/vm_options.h"
#include "log/error_report.h"
#include "payload/locale_choice.h"
#include "runtime/jvm_home.h"
#include "win32/environment.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

struct CloseStream {
  void operator()(FILE* stream) const { std::fclose(stream); }
};

class ProcessFiles final : public VmOptionsFiles {
public:
  TextFile readTextFile(const std::wstring& path) override {
    TextFile file;
    std::unique_ptr<FILE, CloseStream> stream(_wfopen(path.c_str(), L"rt"));
    if (!stream) return file;
    file.handle = stream.get();
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, stream.get())) > 0;)
      file.text.append(buffer, count);
    return file;
  }

  std::vector<std::string> listFiles(const std::string& directory, const std::string& extension) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle search(FindFirstFileA((directory + "\\*." + extension).c_str(), &entry));
    if (!search.valid()) return names;
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search.get(), &entry));
    return names;
  }

  bool pathExists(const std::string& path) override { return lnx::pathExists(path); }
};

// The executable's name as GetModuleFileNameW reports it, growing the buffer until it fits.
std::wstring reportedModuleFileName() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &name[0], static_cast<DWORD>(name.size()));
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

} // namespace

VmOptionList buildVmOptions(const std::vector<std::string>& launcherProperties) {
  VmOptionsInputs inputs;
  inputs.launcherProperties = launcherProperties;
  splitCommandLine(GetCommandLineW(), inputs.arguments);
  inputs.tempDir = launcherState().extractionDir;
  inputs.launcherDirectory = launcherDirectory();
  inputs.launcherDirectoryLong = launcherDirectoryLong();
  inputs.longExecutableName = longModuleFileName();
  inputs.moduleFileName = reportedModuleFileName();
  getChosenLanguage(inputs.language);
  getChosenCountry(inputs.country);
  inputs.jvmVersion = jvmVersion();
  inputs.launcherFamily = launcherState().launcherFamily;
  inputs.environmentVariable = [](const std::string& name) { return environmentVariable(name); };
  inputs.expandWide = [](std::wstring& text, bool shortForms) { expandVariablesW(text, shortForms); };
  inputs.expandNarrow = [](std::string& text) { expandVariables(text); };
  inputs.fail = [](int messageId, const std::string& argument) { failWithMessageNarrow(messageId, argument.c_str()); };
  ProcessFiles files;
  return buildVmOptions(inputs, files);
}

} // namespace lnx
