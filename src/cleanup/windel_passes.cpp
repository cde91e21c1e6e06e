#include "cleanup/windel_passes.h"

namespace lnx {
namespace {

const wchar_t kForceReboot[] = L"force_reboot";
const wchar_t kRebootDeletion[] = L"reboot_deletion";
const wchar_t kEndOfMessage[] = L"EOSMARKER";
constexpr size_t kEndOfMessageLength = sizeof kEndOfMessage / sizeof kEndOfMessage[0] - 1;
constexpr size_t kShortestMessage = 6; // texts of 5 characters or fewer are not shown

enum Section { kSemaphore = 0, kMode = 1, kFiles = 2, kDirectories = 3 };

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

class Pass {
 public:
  Pass(WindelFileSystem& files, WindelOutcome& outcome, std::set<std::wstring>& scheduled)
      : files_(files), outcome_(outcome), scheduled_(scheduled) {}

  // Walks lines once; returns the lines that stay and whether something remains.
  std::vector<std::wstring> walk(const std::vector<std::wstring>& lines, bool lastPass) {
    std::vector<std::wstring> kept;
    kept.reserve(lines.size());
    int section = kSemaphore;
    somethingRemains_ = false;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::wstring& line = lines[i];
      if (line.empty()) {
        ++section;
        kept.push_back(line);
      } else if (section == kSemaphore) {
        files_.waitForSemaphoreRelease(line);
        kept.push_back(line);
        section = kMode;
      } else if (section == kMode) {
        size_t last = readMode(lines, i);
        kept.insert(kept.end(), lines.begin() + i, lines.begin() + last + 1);
        i = last;
        section = kFiles;
      } else if (!pathGone(line, section >= kDirectories, lastPass)) {
        kept.push_back(line);
      }
    }
    return kept;
  }

  bool somethingRemains() const { return somethingRemains_; }

 private:
  // The mode line at index mode and its message blocks; returns the index of the block's
  // last line (the mode line itself when the blocks are not both closed).
  size_t readMode(const std::vector<std::wstring>& lines, size_t mode) {
    if (lines[mode] == kForceReboot) outcome_.forceReboot = true;
    outcome_.rebootDeletion = lines[mode] == kForceReboot || lines[mode] == kRebootDeletion;
    size_t firstEnd = nextEndOfMessage(lines, mode + 1);
    size_t secondEnd = firstEnd < lines.size() ? nextEndOfMessage(lines, firstEnd + 1) : lines.size();
    if (secondEnd >= lines.size()) return mode;
    outcome_.restartQuestion = joinLines(lines, mode + 1, firstEnd);
    outcome_.restartFailedText = joinLines(lines, firstEnd + 1, secondEnd);
    return secondEnd;
  }

  bool pathGone(const std::wstring& path, bool directory, bool lastPass) {
    bool removed = directory ? files_.removeDirectory(path) : files_.deleteFile(path);
    if (removed || !files_.exists(path)) return true;
    if (isLauncherTemporaryPath(path)) {
      if (!scheduled_.count(path) && files_.deleteAtRestart(path)) scheduled_.insert(path);
      return false;
    }
    somethingRemains_ = true;
    if (lastPass && outcome_.rebootDeletion && files_.deleteAtRestart(path) && !directory)
      outcome_.rebootNeeded = true;
    return false;
  }

  WindelFileSystem& files_;
  WindelOutcome& outcome_;
  std::set<std::wstring>& scheduled_;
  bool somethingRemains_ = false;
};

} // namespace

bool isLauncherTemporaryPath(const std::wstring& path) {
  return path.find(L"mrv") != std::wstring::npos && path.find(L".tmp_dir") != std::wstring::npos;
}

WindelOutcome runDeletionPasses(std::vector<std::wstring>& lines, WindelFileSystem& files) {
  WindelOutcome outcome;
  std::set<std::wstring> scheduled; // launcher temporary paths already waiting for the restart
  Pass pass(files, outcome, scheduled);
  while (outcome.passes < kMaxDeletionPasses) {
    ++outcome.passes;
    lines = pass.walk(lines, outcome.passes == kMaxDeletionPasses);
    if (!pass.somethingRemains()) break;
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
