#include "cleanup/windel_passes.h"

#include <set>

#include "cleanup/windel_paths.h"
#include "log/log.h"

namespace lnx {
namespace {

const wchar_t kForceReboot[] = L"force_reboot";
const wchar_t kRebootDeletion[] = L"reboot_deletion";
const wchar_t kEndOfMessage[] = L"EOSMARKER";
constexpr size_t kEndOfMessageLength = sizeof kEndOfMessage / sizeof kEndOfMessage[0] - 1;
constexpr size_t kShortestMessage = 6; // texts of 5 characters or fewer are not shown

enum Section { kFiles = 2, kDirectories = 3 };

bool endsMessage(const std::wstring& line) { return line.compare(0, kEndOfMessageLength, kEndOfMessage) == 0; }

size_t nextEndOfMessage(const std::vector<std::wstring>& lines, size_t from) {
  while (from < lines.size() && !endsMessage(lines[from])) ++from;
  return from;
}

std::wstring joinLines(const std::vector<std::wstring>& lines, size_t begin, size_t end) {
  std::wstring text;
  for (size_t i = begin; i < end; ++i) {
    if (i > begin) text += L'\n';
    text += lines[i];
  }
  return text;
}

// The lines before the paths: the semaphore line, then the mode line (an empty one has no
// message blocks) with its two blocks. Sets the mode and the messages and returns the
// index of the first path line; npos when a mode's blocks are not both closed.
size_t readHead(const std::vector<std::wstring>& lines, WindelOutcome& outcome) {
  if (lines.size() < 2 || lines[1].empty()) return lines.size() < 2 ? lines.size() : 2;
  size_t firstEnd = nextEndOfMessage(lines, 2);
  size_t secondEnd = firstEnd < lines.size() ? nextEndOfMessage(lines, firstEnd + 1) : lines.size();
  if (secondEnd >= lines.size()) return std::wstring::npos;
  outcome.forceReboot = lines[1] == kForceReboot;
  outcome.rebootDeletion = outcome.forceReboot || lines[1] == kRebootDeletion;
  outcome.restartQuestion = joinLines(lines, 2, firstEnd);
  outcome.restartFailedText = joinLines(lines, firstEnd + 1, secondEnd);
  return secondEnd + 1;
}

class Pass {
 public:
   Pass(WindelFileSystem& files, WindelOutcome& outcome) : files_(files), outcome_(outcome) {}

   // Walks the path lines from firstPath on once, dropping those that are settled; returns
   // whether something remains.
   bool walk(std::vector<std::wstring>& lines, size_t firstPath, bool lastPass) {
     int section = kFiles;
     somethingRemains_ = false;
     size_t kept = firstPath;
     for (size_t i = firstPath; i < lines.size(); ++i) {
       if (lines[i].empty()) {
         ++section;
       } else if (settled(lines[i], section >= kDirectories, lastPass)) {
         continue;
       }
       if (kept != i) lines[kept] = std::move(lines[i]);
       ++kept;
     }
     lines.resize(kept);
     return somethingRemains_;
   }

 private:
   // True when the path is gone or the cleanup leaves it alone for good.
   bool settled(const std::wstring& path, bool directory, bool lastPass) {
     if (const wchar_t* problem = listPathProblem(path)) {
       logPrint(L"Temp cleanup skips \"%s\": %s", path, problem);
       return true;
     }
     Removal removal = directory ? files_.removeDirectory(path) : files_.deleteFile(path);
     if (removal == Removal::refused) return true;
     if (removal == Removal::removed || !files_.exists(path)) return true;
     if (isLauncherTemporaryPath(path)) {
       if (scheduled_.count(path)) return false;
       if (files_.deleteAtRestart(path)) {
         scheduled_.insert(path);
         return false;
       }
       // Scheduling needs administrator rights: without them it stays a leftover like others.
     }
     somethingRemains_ = true;
     if (lastPass && outcome_.rebootDeletion && files_.deleteAtRestart(path) && !directory)
       outcome_.rebootNeeded = true;
     return false;
   }

  WindelFileSystem& files_;
  WindelOutcome& outcome_;
  std::set<std::wstring> scheduled_; // launcher temporary paths already waiting for the restart
  bool somethingRemains_ = false;
};

} // namespace

WindelOutcome runDeletionPasses(std::vector<std::wstring>& lines, WindelFileSystem& files) {
  WindelOutcome outcome;
  size_t firstPath = readHead(lines, outcome);
  if (firstPath == std::wstring::npos) {
    logPrint(L"Temp cleanup list malformed: the messages of mode \"%s\" are not closed", lines[1]);
    return outcome;
  }
  Pass pass(files, outcome);
  while (outcome.passes < kMaxDeletionPasses) {
    ++outcome.passes;
    if (!lines.empty() && !lines[0].empty()) files.waitForSemaphoreRelease(lines[0]);
    if (!pass.walk(lines, firstPath, outcome.passes == kMaxDeletionPasses)) break;
    if (outcome.passes < kMaxDeletionPasses) files.pause(kPassPauseMs);
  }
  return outcome;
}

void handleRestart(const WindelOutcome& outcome, RestartActions& actions) {
  auto restartOrWarn = [&] {
    if (!actions.restartNow() && outcome.restartFailedText.size() >= kShortestMessage)
      actions.warn(outcome.restartFailedText);
  };
  if (outcome.forceReboot) {
    restartOrWarn();
  } else if (outcome.rebootNeeded) {
    if (outcome.restartQuestion.size() >= kShortestMessage && actions.askToRestart(outcome.restartQuestion))
      restartOrWarn();
    else
      actions.markRestartPending();
  }
}

} // namespace lnx
