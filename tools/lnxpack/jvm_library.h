#pragma once
// The jvm.dll files of a runtime. The launcher loads one into its own process, so only a
// DLL of its own width can serve: one of the other width could never load.
#include <optional>
#include <string>

#include "lnxpack/pe_image.h"

namespace lnx::pack {

struct JvmLibrary {
  std::string name;               // as in the runtime: "bin/server/jvm.dll", or "bin\server\jvm.dll"
  std::optional<PeTarget> target; // nothing when its first bytes hold no PE header
  std::string unreadable;         // then why
};

// Whether an entry of a runtime (relative, "/" or "\" separated) is a jvm.dll the launcher
// tries: bin\<vm>\jvm.dll of a runtime, or jre\bin\<vm>\jvm.dll of a JDK that carries a
// runtime. Compared without regard to case, as Windows finds them.
bool isJvmLibraryName(const std::string& name);

JvmLibrary readJvmLibrary(std::string name, const PeTargetPrefix& prefix);

// Why a launcher of width launcher could not load the library, naming the launcher as
// launcherName ("the stub"); nothing when it could.
std::optional<std::string> jvmLibraryProblem(const JvmLibrary& library, PeWidth launcher,
                                             const std::string& launcherName);

} // namespace lnx::pack
