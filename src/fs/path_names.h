#pragma once
// The executable's names and directory in their 8-bit and UTF-16 forms, and the path
// operations that need the file system. All computed names are kept for the process.
#include <string>

namespace lnx {

// An 8-bit name of the executable that survives the file-system code page and ends in
// ".exe" (falling back to 8.3 short names).
const std::string& moduleFileName();
// The executable's long UTF-16 path name.
const std::wstring& longModuleFileName();
// The executable's directory, ending in "\": 8-bit, the 8-bit form widened, and long.
const std::string& launcherDirectory();
const std::wstring& launcherDirectoryShort();
const std::wstring& launcherDirectoryLong();

// The 8-bit short name of a long path as the command interpreter prints it; false when
// that did not work.
bool shortNameViaShell(const std::wstring& longPath, std::string& shortName);

// A relative path resolved against the directory of baseFile, or without one against the
// launcher directory (short or long form); doubled separators collapsed.
std::wstring resolveLauncherPath(const std::wstring& path, bool shortForms, const std::wstring* baseFile = nullptr);
std::string resolveLauncherPath(const std::string& path, const std::string* baseFile = nullptr);

// Resolved against the launcher directory, made absolute by the platform ("." and ".."
// removed), lower-cased unless keepCase, separators collapsed.
std::wstring makeFullPath(const std::wstring& path, bool keepCase, bool shortForms);
std::string makeFullPath(const std::string& path, bool keepCase);

// Lower-cases through UTF-16; the text stays unchanged when the conversion back fails.
void lowerCasePath(std::string& path);

// A drive root exists without a look-up; anything else must be found by a directory search.
bool pathExists(const std::wstring& path);
bool pathExists(const std::string& path, unsigned long long* lastWriteTime = nullptr);

// Deletes the files of directory and, with recurse, its whole tree of subdirectories (an
// extracted runtime lies several levels deep), each removed when it ends up empty; links and
// junctions are removed without following them. Paths starting with "." are refused.
void emptyDirectory(const std::string& directory, bool recurse);

} // namespace lnx
