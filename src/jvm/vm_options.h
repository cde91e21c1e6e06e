#pragma once
// The VM options of a run, always merged in the same order: the launcher's own system
// properties, the configured options (with the files they include), the version-specific
// lines, "-J" arguments, the locale, the VM options file beside the executable, and last
// the class path and module path. The assembly works over given inputs and a small file
// interface; the Win32 side gathers them for this process.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/argument_list.h"

namespace lnx {

// 8-bit option strings (file-system code page) in the order the VM receives them.
using VmOptionList = std::vector<std::string>;

// "-include-options" files nested deeper than this are not read: files that include each
// other would otherwise recurse without end.
constexpr int kMaxIncludeDepth = 10;
// At most this many "-include-options" files are read in one assembly: within the depth, a
// file that includes itself a few times would otherwise be read a few times to the tenth.
constexpr int kMaxIncludedFiles = 100;

// A file opened for reading as text and read whole.
struct TextFile {
  const void* handle = nullptr; // the open file as the log shows it; null: it did not open
  std::string text;             // the content as text mode reads it
};

// The file system as the assembly sees it.
class VmOptionsFiles {
public:
  virtual ~VmOptionsFiles() = default;
  virtual TextFile readTextFile(const std::wstring& path) = 0;
  // Names of the files directly in directory with the extension, in the listing's order.
  virtual std::vector<std::string> listFiles(const std::string& directory, const std::string& extension) = 0;
  virtual bool pathExists(const std::string& path) = 0;
};

struct VmOptionsInputs {
  std::vector<std::string> launcherProperties; // the VM creation's "-D" options, in order
  ArgumentList arguments;                      // the command line, program name first
  std::string tempDir;                         // the TempDir, without a trailing "\"
  std::string launcherDirectory;               // 8-bit form, ends in "\"
  std::wstring launcherDirectoryLong;          // long form, ends in "\"
  std::wstring longExecutableName;             // the executable's long path name
  std::wstring moduleFileName;                 // the executable's name as the platform reports it
  std::string language;                        // the chosen locale's parts; empty when none
  std::string country;
  std::string jvmVersion;                      // empty when not known
  char launcherFamily = 0;                     // first character of configuration 2001
  // nullopt when the platform reports the variable as not defined.
  std::function<std::optional<std::string>(const std::string& name)> environmentVariable;
  std::function<void(std::wstring& text, bool shortForms)> expandWide;
  std::function<void(std::string& text)> expandNarrow;
  // Ends the run with the message and the argument for its "{0}"; the Win32 side passes
  // the fatal exit, tests throw. Should it return, the failing entry is left out.
  std::function<void(int messageId, const std::string& argument)> fail;
};

// Values of option lines that steer the class path; each holds the last line of its kind.
struct ClassPathOverrides {
  std::optional<std::string> replacement; // "-classpath ": instead of configuration 121
  std::optional<std::string> prefix;      // "-classpath/p ": in front of everything
  std::optional<std::string> suffix;      // "-classpath/a ": after everything
};

// One assembly in progress.
struct VmOptionsAssembly {
  VmOptionsAssembly(const VmOptionsInputs& inputs, VmOptionsFiles& files) : inputs(inputs), files(files) {}
  const VmOptionsInputs& inputs;
  VmOptionsFiles& files;
  VmOptionList options;
  ClassPathOverrides overrides;
  int includeDepth = 0;  // include files being read inside one another
  int includedFiles = 0; // include files read so far
};

// All sources in their order, module options joined; logs the final list. Configuration
// is read through the installed tables.
VmOptionList buildVmOptions(const VmOptionsInputs& inputs, VmOptionsFiles& files);

// Win32: the VM options of this process, starting with the given launcher properties.
// Ends the process when a mandatory class path or module path entry is missing.
VmOptionList buildVmOptions(const std::vector<std::string>& launcherProperties);

// One line: "-include-options <file>" reads that file (relative to the directory of
// holdingFile, or without one to the long launcher directory), a "-classpath" override
// fills its slot, anything else becomes an option.
void addOptionLine(VmOptionsAssembly& assembly, const std::wstring& line, const std::wstring* holdingFile);

// Each token is one line, except that "-include-options" takes the token after it.
void addOptionTokens(VmOptionsAssembly& assembly, const ArgumentList& tokens);

// A VM options file's text: lines of at most 29999 bytes, spaces trimmed, empty lines and
// "#" comments skipped, the rest expanded (short forms) and added with addOptionLine.
void readVmOptionsFile(VmOptionsAssembly& assembly, const std::string& text, const std::wstring* holdingFile);

// The first of "<name without .exe>.vmoptions" and "<name>.vmoptions" that opens, for the
// long executable name and then the module file name; a null handle when none does.
TextFile openDefaultVmOptionsFile(const std::wstring& longExecutableName, const std::wstring& moduleFileName,
                                  VmOptionsFiles& files);

// An option that takes its value as the next entry is joined with it by "=".
void joinModuleOptions(VmOptionList& options);

} // namespace lnx
