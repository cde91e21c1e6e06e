#include "jvm/class_path.h"

#include <algorithm>
#include <vector>

#include "fs/path_rules.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "text/codepage.h"

namespace lnx {

namespace {

// A configured entry: type letter, mandatory flag ("1") and name.
struct PathEntry {
  char type;
  bool mandatory;
  std::string name;
};

// Entries are separated by ";"; empty pieces are no entries.
std::vector<PathEntry> splitPathEntries(const std::string& list) {
  std::vector<PathEntry> entries;
  for (size_t start = 0; start < list.size();) {
    size_t end = std::min(list.find(';', start), list.size());
    if (end > start) {
      std::string piece = list.substr(start, end - start);
      entries.push_back({piece[0], piece.size() > 1 && piece[1] == '1', piece.size() > 2 ? piece.substr(2) : ""});
    }
    start = end + 1;
  }
  return entries;
}

void appendVariable(VmOptionsAssembly& assembly, const PathEntry& entry, std::string& pathText) {
  std::optional<std::string> value = assembly.inputs.environmentVariable(entry.name);
  if (!value) {
    if (entry.mandatory) assembly.inputs.fail(message::variableUndefined, entry.name);
    return;
  }
  if (value->empty()) return;
  if (value->size() >= 2 && value->front() == '"' && value->back() == '"') *value = value->substr(1, value->size() - 2);
  pathText += *value;
  if (value->empty() || value->back() != ';') pathText += ';';
}

// Whether the entry was found; appends its contribution when it was.
bool appendPathEntry(VmOptionsAssembly& assembly, int configId, const PathEntry& entry, std::string& pathText) {
  if (entry.type != 'A' && entry.type != 'D' && entry.type != 'S') return false;
  std::string path = resolvePath(entry.name, assembly.inputs.launcherDirectory);
  if (!assembly.files.pathExists(path)) return false;
  if (entry.type == 'S' && configId == config::classPath) {
    appendArchives(assembly.files, path, "jar", pathText);
    appendArchives(assembly.files, path, "zip", pathText);
  } else {
    pathText += path + ";";
  }
  return true;
}

// Module mode names the main class as module "/" class; the runtime module must be able
// to reach the main class's package reflectively.
void appendModuleOptions(VmOptionsAssembly& assembly, const std::string& modulePath) {
  assembly.options.push_back("--module-path=" + modulePath);
  const std::string runtimeModule =
      assembly.inputs.launcherFamily == 'i' ? "com.lanternix.runtime" : "com.morva.runtime";
  std::string modules = "--add-modules=";
  if (getConfigInt(config::moduleMode) != 0) {
    std::string mainClass = getConfigCopy(config::mainClass);
    size_t slash = mainClass.find('/');
    size_t lastDot = mainClass.rfind('.');
    if (slash != std::string::npos && lastDot != std::string::npos && lastDot > slash)
      assembly.options.push_back("--add-opens=" + mainClass.substr(0, lastDot) + "=" + runtimeModule);
    modules += mainClass.substr(0, slash) + ",";
  }
  assembly.options.push_back(modules + runtimeModule);
}

} // namespace

void appendConfiguredPaths(VmOptionsAssembly& assembly, int configId, std::string& pathText) {
  std::string list = getConfigCopy(configId);
  logPrint(L"entry %S", list);
  std::vector<PathEntry> entries = splitPathEntries(list);
  logPrint(L"entries %d", static_cast<int>(entries.size()));
  for (PathEntry& entry : entries) {
    assembly.inputs.expandNarrow(entry.name);
    if (entry.type == 'E')
      appendVariable(assembly, entry, pathText);
    else if (!appendPathEntry(assembly, configId, entry, pathText) && entry.mandatory)
      assembly.inputs.fail(message::pathNotFound, entry.name);
  }
}

void appendArchives(VmOptionsFiles& files, const std::string& directory, const std::string& extension,
                    std::string& pathText) {
  for (const std::string& name : files.listFiles(directory, extension)) pathText += directory + "\\" + name + ";";
}

void appendClassAndModulePaths(VmOptionsAssembly& assembly) {
  const ClassPathOverrides& overrides = assembly.overrides;
  const std::string& tempDir = assembly.inputs.tempDir;
  std::string modulePath;
  logPrint(L"adding preconfigured modulepath");
  appendConfiguredPaths(assembly, config::modulePath, modulePath);

  std::string classPath = "-Djava.class.path=";
  if (overrides.prefix) classPath += *overrides.prefix + ";";
  // In module mode, or with a configured module path, the application's archives are modules.
  std::string& tempArchives =
      (!modulePath.empty() || getConfigInt(config::moduleMode) != 0) ? modulePath : classPath;
  appendArchives(assembly.files, tempDir, "jar", tempArchives);
  appendArchives(assembly.files, tempDir, "zip", tempArchives);
  appendArchives(assembly.files, tempDir + "\\user", "jar", classPath);
  appendArchives(assembly.files, tempDir + "\\user", "zip", classPath);
  if (overrides.replacement) {
    classPath += *overrides.replacement;
  } else {
    logPrint(L"adding preconfigured classpath");
    appendConfiguredPaths(assembly, config::classPath, classPath);
  }
  if (overrides.suffix) {
    if (classPath.back() != ';') classPath += ';';
    classPath += *overrides.suffix;
  }
  assembly.options.push_back(classPath);

  if (!modulePath.empty()) appendModuleOptions(assembly, modulePath);
}

} // namespace lnx
