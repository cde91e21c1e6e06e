#pragma once
// The class path and module path options: the configured path lists (configuration 121
// and 132), the TempDir's archives and the class path overrides of the option lines.
#include <string>

#include "jvm/vm_options.h"

namespace lnx {

// Appends the entries of configuration 121 (class path) or 132 (module path), each
// followed by ";". A mandatory entry that is not found goes to the fail hook.
void appendConfiguredPaths(VmOptionsAssembly& assembly, int configId, std::string& pathText);

// Appends directory + "\" + name + ";" for every file with the extension in directory.
void appendArchives(VmOptionsFiles& files, const std::string& directory, const std::string& extension,
                    std::string& pathText);

// Appends the class path option and, when there is a module path, the module path, the
// opens option of module mode and the modules option.
void appendClassAndModulePaths(VmOptionsAssembly& assembly);

} // namespace lnx
