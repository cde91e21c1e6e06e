#pragma once
// The temporary base directory of this run: a directory named with "-temp", or the
// first usable one of the automatic search, kept for the rest of the run.
#include <string>

namespace lnx {

bool probeDirectory(const std::string& path, bool createFirst, bool requireRepresentable);
bool probeDirectory(const std::wstring& path, bool createFirst, bool requireRepresentable);

// The automatic search. The narrow form ends the process with message 1015 when nothing
// is usable; the wide form does so only with failIsFatal, else it returns an empty text.
std::string chooseTempBase();
std::wstring chooseTempBaseW(bool failIsFatal);

// The manual base when set, else the cached choice, else a new search whose non-empty
// result is cached.
std::string getTempBase();
std::wstring getTempBaseW(bool failIsFatal);

// Validates a directory named on the command line and keeps it when usable; returns
// whether it was accepted.
bool setManualTempDir(const std::wstring& directory);

bool usedFallbackTempBase();

} // namespace lnx
