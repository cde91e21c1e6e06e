#include "lnxpack/jvm_library.h"

#include <utility>
#include <vector>

#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace {

bool sameLetters(const std::string& component, const char* lowerCase) {
  std::string folded = component;
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded == lowerCase;
}

// The name's components, without empty and "." ones ("./bin//server" is bin, server).
std::vector<std::string> components(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/' && name[i] != '\\') {
      part += name[i];
      continue;
    }
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
  }
  return parts;
}

} // namespace

bool isJvmLibraryName(const std::string& name) {
  std::vector<std::string> parts = components(name);
  if (parts.size() == 4 && sameLetters(parts[0], "jre")) parts.erase(parts.begin());
  return parts.size() == 3 && sameLetters(parts[0], "bin") && sameLetters(parts[2], "jvm.dll");
}

JvmLibrary readJvmLibrary(std::string name, const PeTargetPrefix& prefix) {
  JvmLibrary library{std::move(name), std::nullopt, {}};
  try {
    library.target = readPeTarget(prefix.bytes(), {}); // the file is named by the caller
  } catch (const ToolError& error) {
    library.unreadable = error.problem;
  }
  return library;
}

std::optional<std::string> jvmLibraryProblem(const JvmLibrary& library, PeWidth launcher,
                                             const std::string& launcherName) {
  std::string theLauncher = launcherName + " is a " + describe(launcher) + " launcher";
  if (!library.target) return library.unreadable + "; " + theLauncher + " and could never load it";
  std::optional<PeWidth> width = library.target->width();
  if (width == launcher) return std::nullopt;
  std::string what = width ? "a " + describe(*library.target) + " DLL" : "a DLL built as " + describe(*library.target);
  return what + ", but " + theLauncher + ": it could never load it";
}

} // namespace lnx::pack
