#pragma once
// What the installer's Java side does after main to have the launcher's temporary files
// removed (com.morva.runtime.util.WinDel): list the TempDir's files and directories and
// the file that named it, and start the launcher executable in its temp-cleanup mode,
// which waits for the semaphore of this run to disappear.
#include <string>

#include "jni_fake/json_value.h"

namespace standin {

struct TempCleanupInputs {
  std::wstring tempDir;       // -Dmorva.tempDir
  std::wstring semaphoreName; // -Dmorva.semaphoreName (may be empty)
  std::wstring executable;    // WinDel.externalExecutable as the launcher set it
};

// Writes the list beside the TEMP files and starts the cleanup copy; the returned event
// names the list and the copy's process id, or the problem.
jnifake::JsonValue startTempCleanup(const TempCleanupInputs& inputs);

} // namespace standin
