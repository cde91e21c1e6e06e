#pragma once
// The installer project: what lnxpack puts into a setup file.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "payload/tables.h"

namespace lnx::pack {

struct IncludedFile {
  std::string name; // as stored in the Payload (narrow, at most one "\")
  std::filesystem::path source;
  std::shared_ptr<const std::vector<uint8_t>> content; // made by the builder instead of read from source
};

// A runtime directory that the builder packs and includes as "jre.tar.gz".
struct BundledRuntime {
  std::filesystem::path directory;
};

struct Project {
  std::filesystem::path stub; // empty when the project names none
  bool checksum = true;
  std::map<int32_t, std::string> config; // complete, including 2002 and 2003
  std::map<int32_t, std::wstring> messages;
  std::vector<LocalisedSet> localisedSets; // entries in ascending id order
  std::vector<IncludedFile> files;         // in Payload order
  std::optional<std::filesystem::path> javaData;
  std::optional<BundledRuntime> runtime;
};

// Reads and checks a project file; relative paths in it are resolved against its directory.
// Throws ToolError naming the project file (or the unreadable file).
Project loadProject(const std::filesystem::path& projectFile);

} // namespace lnx::pack
