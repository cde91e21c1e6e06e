#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cleanup/windel_list.h"
#include "cleanup/windel_passes.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

std::vector<std::wstring> readList(const std::u16string& text, size_t pieceSize = 4096) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  WindelLineReader reader;
  for (size_t at = 0; at < bytes.size(); at += pieceSize)
    reader.add(reinterpret_cast<const unsigned char*>(bytes.data()) + at, std::min(pieceSize, bytes.size() - at));
  return reader.finish();
}

TEST(WindelList, LinesInAnyPiecesKeepEmptyOnesAndDropTrailingLineEnds) {
  std::u16string text = u"sem\r\n\r\nC:\\d\u00e9j\u00e0\\f.txt\r\r\nin\rner\n\nlast";
  std::vector<std::wstring> expected = {L"sem", L"", L"C:\\d\u00e9j\u00e0\\f.txt", L"in\rner", L"", L"last"};
  for (size_t piece : {1, 3, 4096}) EXPECT_EQ(expected, readList(text, piece)) << piece;
  EXPECT_TRUE(readList(u"").empty());
  EXPECT_EQ(std::vector<std::wstring>{L"a"}, readList(u"a\n"));
}

TEST(WindelList, AnOverlongLineIsSkippedWholeAndAnOddLastByteIsNoText) {
  std::u16string longest(kMaxWindelLine, u'x');
  std::vector<std::wstring> lines = readList(u"a\n" + longest + u"y\r\n" + longest + u"\r\nb\n");
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(L"a", lines[0]);
  EXPECT_EQ(kMaxWindelLine, lines[1].size()) << "the carriage return does not count";
  EXPECT_EQ(L"b", lines[2]);

  WindelLineReader reader;
  const unsigned char bytes[] = {'a', 0, 'b'};
  reader.add(bytes, sizeof bytes);
  EXPECT_EQ(std::vector<std::wstring>{L"a"}, reader.finish());
}

// Paths that exist, those that resist deletion, and what the passes did.
struct FakeFiles : WindelFileSystem {
  std::set<std::wstring> present;
  std::set<std::wstring> locked;
  std::set<std::wstring> throughLink; // removal refused
  std::vector<std::wstring> tried;
  std::vector<std::wstring> waitedFor;
  std::vector<std::wstring> deleted;
  std::vector<std::wstring> scheduled;
  std::vector<int> scheduledInPass;
  int pauses = 0;
  bool schedulingWorks = true;

  void waitForSemaphoreRelease(const std::wstring& name) override { waitedFor.push_back(name); }
  Removal remove(const std::wstring& path) {
    tried.push_back(path);
    if (throughLink.count(path)) return Removal::refused;
    if (!present.count(path) || locked.count(path)) return Removal::failed;
    present.erase(path);
    deleted.push_back(path);
    return Removal::removed;
  }
  Removal deleteFile(const std::wstring& path) override { return remove(path); }
  Removal removeDirectory(const std::wstring& path) override { return remove(path); }
  bool exists(const std::wstring& path) override { return present.count(path) != 0; }
  bool deleteAtRestart(const std::wstring& path) override {
    if (!schedulingWorks) return false;
    scheduled.push_back(path);
    scheduledInPass.push_back(pauses + 1);
    return true;
  }
  void pause(unsigned milliseconds) override {
    EXPECT_EQ(kPassPauseMs, milliseconds);
    ++pauses;
  }
};

struct RecordedActions : RestartActions {
  bool restartWorks = false;
  bool answerYes = false;
  std::vector<std::wstring> steps;
  bool restartNow() override {
    steps.push_back(L"restart");
    return restartWorks;
  }
  bool askToRestart(const std::wstring& question) override {
    steps.push_back(L"ask " + question);
    return answerYes;
  }
  void warn(const std::wstring& text) override { steps.push_back(L"warn " + text); }
  void markRestartPending() override { steps.push_back(L"marker"); }
};

std::vector<std::wstring> restartSteps(WindelOutcome outcome, bool restartWorks, bool answerYes) {
  RecordedActions actions;
  actions.restartWorks = restartWorks;
  actions.answerYes = answerYes;
  handleRestart(outcome, actions);
  return actions.steps;
}

std::vector<std::wstring> fullList(const std::wstring& mode) {
  return {L"Local\\c:_setup.exe0", mode,        L"Restart now?", L"",    L"Really.",
          L"EOSMARKER",           L"Restart failed.", L"EOSMARKER x", L"C:\\t\\a.txt", L"C:\\t\\b.txt",
          L"",                    L"C:\\t\\sub",      L"C:\\t"};
}

TEST(WindelPasses, AListWithAllSectionsWaitsReadsTheMessagesAndDeletesInOnePass) {
  FakeFiles files;
  files.present = {L"C:\\t\\a.txt", L"C:\\t\\b.txt", L"C:\\t\\sub", L"C:\\t"};
  std::vector<std::wstring> lines = fullList(L"reboot_deletion");
  WindelOutcome outcome = runDeletionPasses(lines, files);

  EXPECT_EQ(1, outcome.passes);
  EXPECT_EQ(0, files.pauses);
  EXPECT_EQ(std::vector<std::wstring>{L"Local\\c:_setup.exe0"}, files.waitedFor);
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\t\\a.txt", L"C:\\t\\b.txt", L"C:\\t\\sub", L"C:\\t"}), files.deleted);
  EXPECT_EQ(L"Restart now?\n\nReally.", outcome.restartQuestion);
  EXPECT_EQ(L"Restart failed.", outcome.restartFailedText);
  EXPECT_TRUE(outcome.rebootDeletion);
  EXPECT_FALSE(outcome.forceReboot);
  EXPECT_FALSE(outcome.rebootNeeded);
  std::vector<std::wstring> rest = fullList(L"reboot_deletion");
  rest.erase(rest.begin() + 8, rest.end());
  rest.push_back(L"");
  EXPECT_EQ(rest, lines) << "only the paths are removed";
}

TEST(WindelPasses, EmptyFirstLineSkipsTheWaitAndEmptyModeLineSkipsTheMessages) {
  FakeFiles files;
  files.present = {L"C:\\f", L"C:\\d", L"EOSMARKER"};
  std::vector<std::wstring> lines = {L"", L"", L"C:\\f", L"EOSMARKER", L"", L"C:\\d"};
  WindelOutcome outcome = runDeletionPasses(lines, files);
  EXPECT_TRUE(files.waitedFor.empty());
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\f", L"C:\\d"}), files.deleted)
      << "after an empty mode line every line is a path, and a relative one is skipped";
  EXPECT_TRUE(files.present.count(L"EOSMARKER"));
  EXPECT_TRUE(outcome.restartQuestion.empty());
  EXPECT_FALSE(outcome.rebootDeletion);
}

TEST(WindelPasses, UnclosedMessageBlocksMakeAMalformedListThatDoesNothing) {
  for (std::vector<std::wstring> lines :
       {std::vector<std::wstring>{L"s", L"force_reboot", L"C:\\f", L"", L"C:\\d"},
        std::vector<std::wstring>{L"s", L"reboot_deletion", L"EOSMARKER", L"C:\\f", L"", L"C:\\d"},
        std::vector<std::wstring>{L"", L"force_reboot", L"Restart?", L"EOSMARKER"}}) {
    FakeFiles files;
    files.present = files.locked = {L"C:\\f", L"C:\\d"};
    std::vector<std::wstring> original = lines;
    test::LogCapture log;
    WindelOutcome outcome = runDeletionPasses(lines, files);
    EXPECT_EQ(0, outcome.passes);
    EXPECT_TRUE(files.tried.empty() && files.waitedFor.empty() && files.scheduled.empty());
    EXPECT_FALSE(outcome.forceReboot || outcome.rebootDeletion || outcome.rebootNeeded);
    EXPECT_TRUE(restartSteps(outcome, true, true).empty()) << "no restart";
    EXPECT_EQ(original, lines);
    EXPECT_EQ(1u, log.captured().size());
  }
}

TEST(WindelPasses, PathsAlreadyGoneEndAtOnceAndResistingOnesAreRetriedUntilDeleted) {
  FakeFiles gone;
  std::vector<std::wstring> lines = fullList(L"none");
  EXPECT_EQ(1, runDeletionPasses(lines, gone).passes);
  EXPECT_EQ(9u, lines.size());

  // A file that yields after its holder has gone: retried every 500 ms, not rescheduled.
  struct YieldingFiles : FakeFiles {
    int attempts = 0;
    Removal deleteFile(const std::wstring& path) override {
      if (locked.count(path) && ++attempts == 3) locked.clear();
      return FakeFiles::deleteFile(path);
    }
  } files;
  files.present = files.locked = {L"C:\\t\\a.txt"};
  lines = fullList(L"reboot_deletion");
  WindelOutcome outcome = runDeletionPasses(lines, files);
  EXPECT_EQ(3, outcome.passes);
  EXPECT_EQ(2, files.pauses);
  EXPECT_EQ(3u, files.waitedFor.size()) << "every pass waits for the semaphore";
  EXPECT_TRUE(files.scheduled.empty());
}

TEST(WindelPasses, LauncherTemporaryPathsAreScheduledOnceAtOnceAndDoNotKeepThePassesGoing) {
  FakeFiles files;
  std::wstring locked = L"C:\\T\\mrv1A.tmp_dir170\\a.jar";
  files.present = files.locked = {locked, L"C:\\T\\mrv1A.tmp_dir170"};
  std::vector<std::wstring> lines = {L"", L"", locked, L"", L"C:\\T\\mrv1A.tmp_dir170"};
  WindelOutcome outcome = runDeletionPasses(lines, files);
  EXPECT_EQ(1, outcome.passes);
  EXPECT_EQ((std::vector<std::wstring>{locked, L"C:\\T\\mrv1A.tmp_dir170"}), files.scheduled);
  EXPECT_FALSE(outcome.rebootNeeded) << "no question for the launcher's own files";

  // With another leftover keeping the passes going, each is still scheduled once.
  FakeFiles busy;
  busy.present = busy.locked = {locked, L"C:\\other.txt"};
  lines = {L"", L"", locked, L"C:\\other.txt"};
  outcome = runDeletionPasses(lines, busy);
  EXPECT_EQ(kMaxDeletionPasses, outcome.passes);
  EXPECT_EQ(std::vector<std::wstring>{locked}, busy.scheduled);
  EXPECT_EQ(4u, lines.size());
}

TEST(WindelPasses, ALauncherFileThatCannotBeScheduledStaysALeftoverAndIsRetried) {
  FakeFiles files;
  files.schedulingWorks = false; // as without administrator rights
  std::wstring jar = L"C:\\T\\mrv1A.tmp_dir170\\a.jar";
  files.present = files.locked = {jar};
  std::vector<std::wstring> lines = {L"", L"", jar};
  EXPECT_EQ(kMaxDeletionPasses, runDeletionPasses(lines, files).passes);
  EXPECT_EQ(std::vector<std::wstring>(kMaxDeletionPasses, jar), files.tried);
  EXPECT_EQ(3u, lines.size());
}

TEST(WindelPasses, LinesThatAreNoPlainAbsolutePathAndRefusedPathsAreLeftAloneAndDropped) {
  std::vector<std::wstring> hostile = {L"thesis.docx",
                                       L"C:thesis.docx",
                                       L"\\Users\\me\\thesis.docx",
                                       L"C:\\T\\mrv1.tmp_dir1\\..\\..\\Users\\me\\thesis.docx",
                                       L"C:\\T\\mrv1.tmp_dir1\\*",
                                       L"C:\\T\\mrv1.tmp_dir1\\a" + std::wstring(1, L'\0') + L"b"};
  std::wstring throughLink = L"C:\\T\\mrv1.tmp_dir1\\lib\\a.jar";
  FakeFiles files;
  files.present = files.locked = {hostile.begin(), hostile.end()};
  files.present.insert(throughLink);
  files.throughLink = {throughLink};
  std::vector<std::wstring> lines = {L"", L"reboot_deletion", L"Restart?", L"EOSMARKER", L"EOSMARKER"};
  std::vector<std::wstring> head = lines;
  lines.insert(lines.end(), hostile.begin(), hostile.end());
  lines.push_back(throughLink);
  lines.push_back(L"");
  lines.insert(lines.end(), hostile.begin(), hostile.end());
  test::LogCapture log;
  WindelOutcome outcome = runDeletionPasses(lines, files);

  EXPECT_EQ(1, outcome.passes) << "nothing counts as remaining";
  EXPECT_EQ(std::vector<std::wstring>{throughLink}, files.tried) << "the others are not even tried";
  EXPECT_TRUE(files.scheduled.empty());
  EXPECT_FALSE(outcome.rebootNeeded);
  head.push_back(L"");
  EXPECT_EQ(head, lines);
  EXPECT_EQ(2 * hostile.size(), log.captured().size());
}

TEST(WindelPasses, OtherLeftoversAreScheduledOnlyInTheLastPassAndOnlyInTheRebootModes) {
  for (std::wstring mode : {L"reboot_deletion", L"force_reboot", L"keep"}) {
    FakeFiles files;
    files.present = files.locked = {L"C:\\t\\a.txt", L"C:\\t"};
    std::vector<std::wstring> lines = fullList(mode);
    WindelOutcome outcome = runDeletionPasses(lines, files);
    EXPECT_EQ(kMaxDeletionPasses, outcome.passes) << mode;
    EXPECT_EQ(kMaxDeletionPasses - 1, files.pauses) << "no pause after the last pass";
    bool rebootMode = mode != L"keep";
    EXPECT_EQ(rebootMode, outcome.rebootNeeded) << mode;
    if (rebootMode) {
      EXPECT_EQ((std::vector<std::wstring>{L"C:\\t\\a.txt", L"C:\\t"}), files.scheduled);
      EXPECT_EQ((std::vector<int>{kMaxDeletionPasses, kMaxDeletionPasses}), files.scheduledInPass);
    } else {
      EXPECT_TRUE(files.scheduled.empty());
    }
  }
}

TEST(WindelPasses, ARemainingDirectoryOrAFailedSchedulingSetsNoRebootNeed) {
  FakeFiles directoryOnly;
  directoryOnly.present = directoryOnly.locked = {L"C:\\t"};
  std::vector<std::wstring> lines = fullList(L"reboot_deletion");
  WindelOutcome outcome = runDeletionPasses(lines, directoryOnly);
  EXPECT_EQ(std::vector<std::wstring>{L"C:\\t"}, directoryOnly.scheduled);
  EXPECT_FALSE(outcome.rebootNeeded);

  FakeFiles refused;
  refused.schedulingWorks = false;
  refused.present = refused.locked = {L"C:\\t\\a.txt"};
  lines = fullList(L"reboot_deletion");
  EXPECT_FALSE(runDeletionPasses(lines, refused).rebootNeeded);
}

TEST(WindelRestart, ForcedRestartQuestionWarningAndMarker) {
  using Steps = std::vector<std::wstring>;
  WindelOutcome forced;
  forced.forceReboot = true;
  forced.restartQuestion = L"Restart now?";
  forced.restartFailedText = L"Failed";
  EXPECT_EQ((Steps{L"restart", L"warn Failed"}), restartSteps(forced, false, false)) << "no question";
  EXPECT_EQ(Steps{L"restart"}, restartSteps(forced, true, false));
  forced.restartFailedText = L"Fail!";
  EXPECT_EQ(Steps{L"restart"}, restartSteps(forced, false, false)) << "5 characters are not shown";

  WindelOutcome needed;
  needed.rebootNeeded = true;
  needed.restartQuestion = L"Restart now?";
  needed.restartFailedText = L"Restart failed";
  EXPECT_EQ((Steps{L"ask Restart now?", L"marker"}), restartSteps(needed, true, false));
  EXPECT_EQ((Steps{L"ask Restart now?", L"restart"}), restartSteps(needed, true, true));
  EXPECT_EQ((Steps{L"ask Restart now?", L"restart", L"warn Restart failed"}), restartSteps(needed, false, true));
  needed.restartQuestion = L"Sure?";
  EXPECT_EQ(Steps{L"marker"}, restartSteps(needed, true, true)) << "a question of 5 characters is not asked";

  EXPECT_TRUE(restartSteps(WindelOutcome{}, true, true).empty());
}

} // namespace
} // namespace lnx
