#pragma once
// Carrying out a temp-cleanup list: the deletion passes and the restart handling that
// follows them, over the file system and the user's answers given to them.
//
// The list is a sequence of sections, an empty line moving to the next one: the name of
// a semaphore to wait for; the mode ("force_reboot", "reboot_deletion" or anything else)
// followed by the restart question and the text shown when a restart fails, each ended by
// a line that begins with "EOSMARKER"; file paths; directory paths.
#include <string>
#include <vector>

namespace lnx {

constexpr int kMaxDeletionPasses = 60;
constexpr unsigned kPassPauseMs = 500;

// What became of a path the cleanup tried to remove.
enum class Removal {
  removed,
  failed,  // still there, or not known to be gone
  refused, // it leads through a link (see guardedDirectories): left alone for good
};

class WindelFileSystem {
 public:
  virtual ~WindelFileSystem() = default;
  // Returns once no semaphore of that name exists.
  virtual void waitForSemaphoreRelease(const std::wstring& name) = 0;
  // Removes the file or the (empty) directory itself, never what a link points to.
  virtual Removal deleteFile(const std::wstring& path) = 0;
  virtual Removal removeDirectory(const std::wstring& path) = 0;
  // False only when the path is known to name nothing.
  virtual bool exists(const std::wstring& path) = 0;
  // True when the path will be deleted at the next system start.
  virtual bool deleteAtRestart(const std::wstring& path) = 0;
  virtual void pause(unsigned milliseconds) = 0;
};

struct WindelOutcome {
  bool forceReboot = false;
  bool rebootDeletion = false;
  bool rebootNeeded = false; // a file was scheduled for deletion at restart in the last pass
  std::wstring restartQuestion;
  std::wstring restartFailedText;
  int passes = 0;
};

// Runs up to kMaxDeletionPasses passes over lines, removing each line whose path is gone,
// with a pause between passes while something remains. Launcher temporary paths
// (isLauncherTemporaryPath) that resist are scheduled for deletion at restart at once
// (once each) and do not count as remaining unless that fails; other leftovers are
// scheduled only in the last pass and only in the reboot modes. A path line the cleanup
// may not act on (listPathProblem), or one the file system refuses, is logged and dropped.
// A mode whose two message blocks are not both closed makes the list malformed: nothing is
// waited for, deleted or restarted (passes is 0).
WindelOutcome runDeletionPasses(std::vector<std::wstring>& lines, WindelFileSystem& files);

class RestartActions {
 public:
  virtual ~RestartActions() = default;
  // True when the system accepted the restart request.
  virtual bool restartNow() = 0;
  // True for yes.
  virtual bool askToRestart(const std::wstring& question) = 0;
  virtual void warn(const std::wstring& text) = 0;
  // Leaves the marker that tells a later run a restart is still pending.
  virtual void markRestartPending() = 0;
};

// After the passes: a forced restart; or, when a file waits for the restart, the question
// (when there is one longer than 5 characters) and a restart, else the pending marker.
// A failed restart shows the failure text when it is longer than 5 characters.
void handleRestart(const WindelOutcome& outcome, RestartActions& actions);

} // namespace lnx
