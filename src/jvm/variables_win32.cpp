#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "fs/temp_base.h"
#include "jvm/variables.h"
#include "runtime/jvm_home.h"
#include "text/codepage.h"
#include "win32/unique_handle.h"

// With UNICODE the plain name is the wide function; the 8-bit block needs the original one.
#undef GetEnvironmentStrings

namespace lnx {

namespace {

template <class Char, BOOL(WINAPI* freeBlock)(Char*)> struct EnvironmentBlockTraits {
  using Value = Char*;
  static Value invalid() { return nullptr; }
  static void close(Value block) { freeBlock(block); }
};

using WideEnvironmentBlock = UniqueHandle<EnvironmentBlockTraits<wchar_t, FreeEnvironmentStringsW>>;
using NarrowEnvironmentBlock = UniqueHandle<EnvironmentBlockTraits<char, FreeEnvironmentStringsA>>;

// The block's "NAME=value" entries in block order; it ends with an empty entry.
template <class Block> auto entriesOf(const Block& block) {
  using Char = std::remove_pointer_t<typename Block::Value>;
  std::vector<std::basic_string<Char>> entries;
  for (const Char* entry = block.get(); entry && *entry; entry += entries.back().size() + 1)
    entries.emplace_back(entry);
  return entries;
}

} // namespace

void expandVariablesW(std::wstring& text, bool shortForms, size_t capacity) {
  ExpansionInputs<std::wstring> inputs;
  inputs.launcherDirectory = shortForms ? launcherDirectoryShort() : launcherDirectoryLong();
  inputs.launcherTempDirectory = launcherState().extractionDir;
  inputs.jvmHome = jvmHome();
  inputs.tempBase = shortForms ? narrowToWide(getTempBase()) : getTempBaseW(true);
  inputs.environment = entriesOf(WideEnvironmentBlock(GetEnvironmentStringsW()));
  expandVariablesWith(text, inputs, capacity);
}

void expandVariables(std::string& text, size_t capacity) {
  ExpansionInputs<std::string> inputs;
  inputs.launcherDirectory = launcherDirectory();
  inputs.launcherTempDirectory = launcherState().extractionDir;
  inputs.jvmHome = jvmHome();
  inputs.tempBase = getTempBase();
  inputs.environment = entriesOf(NarrowEnvironmentBlock(GetEnvironmentStrings()));
  expandVariablesWith(text, inputs, capacity);
}

} // namespace lnx
