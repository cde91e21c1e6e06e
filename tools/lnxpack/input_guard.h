#pragma once
// The builder never writes over what it reads.
#include <filesystem>
#include <string>
#include <vector>

#include "lnxpack/project_file.h"

namespace lnx::pack {

struct BuildInput {
  std::string role; // "the stub", "the source of files[1] \"a.txt\"", ...
  std::filesystem::path path;
  bool directory = false; // the output must not lie anywhere inside it either
};

// Everything a build of project reads: the project file, the stub, every source, the
// Java-side data and the runtime directory.
std::vector<BuildInput> buildInputs(const Project& project, const std::filesystem::path& projectFile,
                                    const std::filesystem::path& stub);

// Throws ToolError naming the output when it is one of the inputs (the same file as the
// system identifies it, so hard links, symbolic links and other spellings of the path
// count) or lies inside an input directory.
void refuseOutputOverInputs(const std::filesystem::path& output, const std::vector<BuildInput>& inputs);

} // namespace lnx::pack
