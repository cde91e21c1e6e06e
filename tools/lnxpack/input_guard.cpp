#include "lnxpack/input_guard.h"

#include <system_error>

#include "lnxpack/text_convert.h"
#include "lnxpack/tool_error.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

// Compared as files: device and inode on the host, volume serial number and file index on
// Windows. False when either does not exist.
bool sameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

// The output's directory or one above it is the directory (the output need not exist).
bool inside(const fs::path& output, const fs::path& directory) {
  fs::path absolute = fs::absolute(output).lexically_normal();
  for (fs::path up = absolute.parent_path(); !up.empty(); up = up.parent_path()) {
    if (sameFile(up, directory)) return true;
    if (up == up.root_path()) break;
  }
  return false;
}

} // namespace

std::vector<BuildInput> buildInputs(const Project& project, const fs::path& projectFile, const fs::path& stub) {
  std::vector<BuildInput> inputs = {{"the project file", projectFile}, {"the stub", stub}};
  for (size_t i = 0; i < project.files.size(); ++i)
    inputs.push_back({"the source of files[" + std::to_string(i) + "] \"" + payloadNarrowToUtf8(project.files[i].name) + "\"",
                      project.files[i].source});
  if (project.javaData) inputs.push_back({"the javaData file", *project.javaData});
  if (project.runtime) inputs.push_back({"the runtime directory", project.runtime->directory, true});
  return inputs;
}

void refuseOutputOverInputs(const fs::path& output, const std::vector<BuildInput>& inputs) {
  for (const BuildInput& input : inputs) {
    if (sameFile(output, input.path))
      throw ToolError{output, "is " + input.role + " (" + input.path.string() +
                                  "); the build would replace an input: choose another -o"};
    if (input.directory && inside(output, input.path))
      throw ToolError{output, "lies inside " + input.role + " (" + input.path.string() +
                                  "), whose files the build reads: choose another -o"};
  }
}

} // namespace lnx::pack
