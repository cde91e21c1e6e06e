#pragma once
// Which lines of a temp-cleanup list the cleanup copy may act on, and which of them are
// the launcher's own temporary paths. The copy may run elevated after an unbounded wait,
// so a line is taken only in one plain form: an absolute path that names exactly one file
// and cannot be read differently by the platform's path rules.
#include <string>
#include <vector>

namespace lnx {

// The last name of a TempDir as the launcher makes it: "mrv", 1 to 4 hexadecimal digits,
// ".tmp_dir" and a decimal number (the platform's unique name); or, when the platform
// could not make one, "mrv", a decimal number, "_dir" and a decimal number. The numbers
// after "_dir" may be negative.
bool isTempDirName(const std::wstring& name);

// Null when the cleanup may act on the path, else why not. Acceptable: "X:\" or
// "\\server\share\" followed by names, each non-empty, not ending in "." or " " (the
// platform would cut those off, which also covers "." and ".."), without control
// characters, wildcards ("*", "?", "<", ">", "\""), "|", "/" or ":" (streams).
const wchar_t* listPathProblem(const std::wstring& path);

// An acceptable path with a name below its root that is a TempDir name.
bool isLauncherTemporaryPath(const std::wstring& path);

// The directories an acceptable path passes through from its first TempDir name down to
// its parent, outermost first; none when the path has no TempDir name above its last one.
// A link among them could send the deletion elsewhere.
std::vector<std::wstring> guardedDirectories(const std::wstring& path);

} // namespace lnx
