#pragma once
// A Java runtime directory packed as the launcher's "jre.tar.gz": a GNU tar stream (long
// names in "././@LongLink" records) compressed with gzip, entries relative to the runtime's
// own directory, sorted by name, with fixed owners, times and modes and a gzip header
// without time or system, so that the same directory gives the same bytes on every system.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "lnxpack/jvm_library.h"
#include "runtime/runtime_names.h"

namespace lnx::pack {

struct RuntimeArchive {
  std::vector<uint8_t> gzip;            // the archive as stored in the Payload
  uint64_t tarSize = 0;                 // the uncompressed tar stream, for configuration 151
  size_t entries = 0;                   // directories and files
  std::vector<JvmLibrary> jvmLibraries; // named as entries: "bin/server/jvm.dll"
};

// Throws ToolError naming the directory (or a file in it) that cannot be read.
RuntimeArchive packRuntimeDirectory(const std::filesystem::path& directory);

// What the launcher's own reader makes of an archive, without writing anything.
struct RuntimeArchiveCheck {
  size_t directories = 0;
  size_t files = 0;
  uint64_t tarBytes = 0; // uncompressed bytes read up to the end blocks
  bool extractsCleanly = false;
  std::string problem;                  // the reader's first error line, when it would fail
  std::vector<JvmLibrary> jvmLibraries; // named as the reader hands them out: "bin\\server\\jvm.dll"
};
RuntimeArchiveCheck checkRuntimeArchive(const std::vector<uint8_t>& gzip);

} // namespace lnx::pack
