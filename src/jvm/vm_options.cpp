#include "jvm/vm_options.h"

#include "jvm/class_path.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/locale_choice.h"
#include "payload/tables.h"

namespace lnx {

namespace {

// Options whose value the VM expects after "=", but which users write as two entries.
const char* const kValueOptions[] = {"--upgrade-module-path", "--add-modules", "--limit-modules", "--add-exports",
                                     "--add-opens",           "--add-reads",   "--patch-module"};

bool takesSeparateValue(const std::string& option) {
  for (const char* name : kValueOptions)
    if (option == name) return true;
  return false;
}

// A configured option text: expanded (short forms, as the options end up 8-bit) and split
// like a command line.
ArgumentList expandedTokens(const VmOptionsAssembly& assembly, std::wstring text) {
  assembly.inputs.expandWide(text, true);
  ArgumentList tokens;
  splitCommandLine(text, tokens);
  return tokens;
}

void addConfiguredOptions(VmOptionsAssembly& assembly) {
  ArgumentList tokens = expandedTokens(assembly, getConfigWString(config::vmOptions));
  logPrint(L"adding options");
  addOptionTokens(assembly, tokens);
}

// Pairs of a version prefix and an option text follow the count; the first pair whose
// prefix starts the JVM version applies.
void addVersionSpecificOptions(VmOptionsAssembly& assembly) {
  const int count = getConfigInt(config::versionOptionLineCount);
  if (count <= 0) return;
  const std::string& version = assembly.inputs.jvmVersion;
  logPrint(L"check %d version specific vm option lines for %S", count, version);
  if (version.empty()) return;
  for (int k = 0; k < count; ++k) {
    const int prefixId = config::versionOptionLineCount + 1 + 2 * k;
    std::string prefix = getConfigCopy(prefixId);
    bool matches = version.compare(0, prefix.size(), prefix) == 0;
    logPrint(L"checking version %S %d", prefix, matches ? 1 : 0);
    if (!matches) continue;
    std::wstring line = getConfigWString(prefixId + 1);
    logPrint(L"adding specific %s", line);
    addOptionTokens(assembly, expandedTokens(assembly, line));
    return;
  }
}

void addJavaArguments(VmOptionsAssembly& assembly) {
  if (getConfigInt(config::jArgumentsAreVmOptions) == 0) return;
  const ArgumentList& arguments = assembly.inputs.arguments;
  for (size_t i = 1; i < arguments.size(); ++i)
    if (arguments[i].compare(0, 2, L"-J") == 0) addOptionLine(assembly, arguments[i].substr(2), nullptr);
}

// The last format-locale option is passed on; unless it asks for the format locale, the
// chosen language and country become the VM's user locale.
void addLocaleOptions(VmOptionsAssembly& assembly) {
  const std::wstring* formatOption = nullptr;
  for (const std::wstring& argument : assembly.inputs.arguments)
    if (argument.compare(0, kFormatAsDefaultOption.size(), kFormatAsDefaultOption) == 0) formatOption = &argument;
  if (formatOption) {
    addOptionLine(assembly, *formatOption, nullptr);
    if (formatAsDefaultRequested(assembly.inputs.arguments)) return;
  }
  if (!assembly.inputs.language.empty()) assembly.options.push_back("-Duser.language=" + assembly.inputs.language);
  if (!assembly.inputs.country.empty()) assembly.options.push_back("-Duser.country=" + assembly.inputs.country);
}

void addDefaultVmOptionsFile(VmOptionsAssembly& assembly) {
  if (getConfigInt(config::readDefaultVmOptionsFile) == 0) return;
  TextFile file =
      openDefaultVmOptionsFile(assembly.inputs.longExecutableName, assembly.inputs.moduleFileName, assembly.files);
  logPrint(L"default vmoptions file: %p", file.handle);
  // No holding file: its includes resolve against the launcher directory.
  if (file.handle) readVmOptionsFile(assembly, file.text, nullptr);
}

} // namespace

VmOptionList buildVmOptions(const VmOptionsInputs& inputs, VmOptionsFiles& files) {
  VmOptionsAssembly assembly(inputs, files);
  assembly.options = inputs.launcherProperties;
  addConfiguredOptions(assembly);
  addVersionSpecificOptions(assembly);
  addJavaArguments(assembly);
  addLocaleOptions(assembly);
  addDefaultVmOptionsFile(assembly);
  appendClassAndModulePaths(assembly);
  joinModuleOptions(assembly.options);

  logPrint(L"vmoption count %d", static_cast<int>(assembly.options.size()));
  for (size_t i = 0; i < assembly.options.size(); ++i)
    logPrint(L"vmoption %d: %S", static_cast<int>(i), assembly.options[i]);
  return assembly.options;
}

void joinModuleOptions(VmOptionList& options) {
  for (size_t i = 0; i + 1 < options.size(); ++i) {
    if (!takesSeparateValue(options[i])) continue;
    options[i] += "=" + options[i + 1];
    options.erase(options.begin() + static_cast<std::ptrdiff_t>(i) + 1);
  }
}

} // namespace lnx
