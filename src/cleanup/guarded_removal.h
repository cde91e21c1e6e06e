#pragma once
// Removing and scheduling the paths of a temp-cleanup list so that no link sends the
// cleanup elsewhere: a link is removed itself, never what it points to, and a path whose
// directories from its TempDir down include a link is left alone.
#include <string>

#include "cleanup/windel_passes.h"

namespace lnx {

// Removes the file (directory false) or the empty directory by handle, while the guarded
// directories (guardedDirectories) are held open: none of them can be swapped for a link
// until the path is gone. refused when one of them is a link.
Removal removeListedPath(const std::wstring& path, bool directory);

// Schedules the path for deletion at the next system start when none of its guarded
// directories is a link now.
bool scheduleListedPathAtRestart(const std::wstring& path);

} // namespace lnx
