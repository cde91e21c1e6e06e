#pragma once
// Writes a setup file: the prepared stub with the Payload appended.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "lnxpack/pe_image.h"
#include "lnxpack/project_file.h"

namespace lnx::pack {

// The Payload's tables (ConfigBlock, MessageTable, localised sets): the start of the
// covered range.
std::vector<uint8_t> encodeTables(const Project& project);

struct BuildSummary {
  uint64_t payloadStart = 0;
  uint64_t setupSize = 0;
  size_t droppedStubBytes = 0;
  size_t files = 0;                   // included files, a bundled runtime among them
  PeWidth launcher = PeWidth::bits32; // the stub's
};

// Builds the setup file at output from the project and the stub; the output appears only
// when complete. Included files are streamed, so memory does not grow with them. Throws
// ToolError naming the file involved.
BuildSummary buildSetup(const Project& project, const std::filesystem::path& stub,
                        const std::filesystem::path& output);

} // namespace lnx::pack
