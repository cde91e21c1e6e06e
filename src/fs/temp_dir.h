#pragma once
// The per-run directory beneath the temporary base.
#include <string>

namespace lnx {

// A fresh unique 8-bit file name in the temporary base; the platform creates the empty
// file, except on the fall-back path when it could not.
std::string makeTempFileName();

// Creates the TempDir (at most 10 attempts) and keeps it as the extraction directory;
// ends the process with internal error 7 when none could be created.
void createTempDir();

// Unless it is the directory a language restart re-uses: empties and removes the
// extraction directory (its whole tree) and the unique file that named it.
void removeExtractionDirectory();

// The unique file that named the TempDir ("<name>_dir<number>" -> "<name>"), or empty.
std::string tempDirNameFile(const std::string& tempDir);

} // namespace lnx
