// Option lines, token lists and VM options files.
#include <algorithm>
#include <cwchar>

#include "fs/path_rules.h"
#include "jvm/vm_options.h"
#include "log/log.h"
#include "text/codepage.h"

namespace lnx {

namespace {

const std::wstring kIncludeOptions = L"-include-options";

// A line is read into a buffer of 30000 bytes; a longer one arrives in pieces.
constexpr size_t kLinePieceBytes = 29999;

struct OverrideLine {
  const wchar_t* start;
  std::optional<std::string> ClassPathOverrides::*slot;
};

constexpr OverrideLine kOverrideLines[] = {
    {L"-classpath ", &ClassPathOverrides::replacement},
    {L"-classpath/p ", &ClassPathOverrides::prefix},
    {L"-classpath/a ", &ClassPathOverrides::suffix},
};

bool startsWith(const std::wstring& text, const std::wstring& start) {
  return text.compare(0, start.size(), start) == 0;
}

// Characters the code page cannot hold stay as its replacement character.
std::string toNarrow(const std::wstring& wide) {
  std::string narrow;
  wideToNarrow(wide, narrow);
  return narrow;
}

void includeOptionsFile(VmOptionsAssembly& assembly, const std::wstring& name, const std::wstring* holdingFile) {
  std::wstring expanded = name;
  assembly.inputs.expandWide(expanded, false);
  logPrint(L"after exp from %s %s", name, expanded);
  std::wstring path =
      resolvePath(expanded, holdingFile ? directoryOf(*holdingFile) : assembly.inputs.launcherDirectoryLong);
  if (assembly.includeDepth >= kMaxIncludeDepth) {
    logError(L"vmoptions files nested deeper than %d, not reading %s", kMaxIncludeDepth, path);
    return;
  }
  if (assembly.includedFiles >= kMaxIncludedFiles) {
    logError(L"more than %d vmoptions files included, not reading %s", kMaxIncludedFiles, path);
    return;
  }
  TextFile file = assembly.files.readTextFile(path);
  logPrint(L"adding vmoptions from (%p) <%s> (%s)", file.handle, path, holdingFile ? holdingFile->c_str() : nullptr);
  if (file.handle) {
    ++assembly.includedFiles;
    ++assembly.includeDepth;
    readVmOptionsFile(assembly, file.text, &path);
    --assembly.includeDepth;
  }
  logPrint(L"adding vmoptions 2");
  logPrint(L"adding vmoptions 3");
}

// Line ends first, then spaces on both sides; tabs are kept.
void trimLine(std::string& line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) {
    line.clear();
    return;
  }
  line = line.substr(first, line.find_last_not_of(' ') - first + 1);
}

} // namespace

void addOptionLine(VmOptionsAssembly& assembly, const std::wstring& line, const std::wstring* holdingFile) {
  const std::wstring includeStart = kIncludeOptions + L" ";
  if (startsWith(line, includeStart)) {
    includeOptionsFile(assembly, line.substr(includeStart.size()), holdingFile);
    return;
  }
  for (const OverrideLine& override : kOverrideLines) {
    if (startsWith(line, override.start)) {
      assembly.overrides.*override.slot = toNarrow(line.substr(std::wcslen(override.start)));
      return;
    }
  }
  assembly.options.push_back(toNarrow(line));
}

void addOptionTokens(VmOptionsAssembly& assembly, const ArgumentList& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == kIncludeOptions && i + 1 < tokens.size()) {
      addOptionLine(assembly, tokens[i] + L" " + tokens[i + 1], nullptr);
      ++i;
    } else {
      addOptionLine(assembly, tokens[i], nullptr);
    }
  }
}

void readVmOptionsFile(VmOptionsAssembly& assembly, const std::string& text, const std::wstring* holdingFile) {
  for (size_t start = 0; start < text.size();) {
    size_t newline = text.find('\n', start);
    size_t end = std::min(newline == std::string::npos ? text.size() : newline + 1, start + kLinePieceBytes);
    std::string line = text.substr(start, end - start);
    start = end;
    trimLine(line);
    if (line.empty() || line[0] == '#') continue;
    std::wstring wide = narrowToWide(line);
    assembly.inputs.expandWide(wide, true);
    addOptionLine(assembly, wide, holdingFile);
  }
}

TextFile openDefaultVmOptionsFile(const std::wstring& longExecutableName, const std::wstring& moduleFileName,
                                  VmOptionsFiles& files) {
  for (const std::wstring* executable : {&longExecutableName, &moduleFileName}) {
    std::wstring withoutSuffix = executable->substr(0, executable->size() - std::min<size_t>(4, executable->size()));
    std::wstring firstName = withoutSuffix + L".vmoptions";
    TextFile file = files.readTextFile(firstName);
    logPrint(L"vmoptions2: exe %s file: %s, file: %p", *executable, firstName, file.handle);
    if (file.handle) return file;
    std::wstring secondName = *executable + L".vmoptions";
    file = files.readTextFile(secondName);
    logPrint(L"vmoptions: opts2: %s, file: %p", secondName, file.handle);
    if (file.handle) return file;
  }
  return TextFile();
}

} // namespace lnx
