// The temp-cleanup list read in pieces of any size, then the deletion passes and the
// restart handling over a file system whose paths resist as the input says. Lines stay
// within the limit, the passes end by their limit, the file system is handed only paths
// the cleanup may act on, a malformed list touches nothing, and a line leaves the list
// only once its path is gone, refused or not one to act on.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cleanup/windel_list.h"
#include "cleanup/windel_passes.h"
#include "cleanup/windel_paths.h"
#include "fuzz_check.h"

namespace lnx {
namespace {

// A path resists for as many attempts as its length modulo 3, or for good when its length
// modulo 5 matches the input's choice; with choice bit 64 a path whose length is a
// multiple of 7 leads through a link.
struct FuzzedFiles : WindelFileSystem {
  unsigned choice;
  std::map<std::wstring, unsigned> attempts;
  std::set<std::wstring> gone;
  std::set<std::wstring> refused;
  explicit FuzzedFiles(unsigned choice) : choice(choice) {}

  Removal remove(const std::wstring& path) {
    fuzz::check(!listPathProblem(path), "only paths the cleanup may act on are removed");
    if ((choice & 64) && path.size() % 7 == 0) {
      refused.insert(path);
      return Removal::refused;
    }
    if (path.size() % 5 == choice % 5 || attempts[path]++ < path.size() % 3) return Removal::failed;
    gone.insert(path);
    return Removal::removed;
  }
  void waitForSemaphoreRelease(const std::wstring&) override {}
  Removal deleteFile(const std::wstring& path) override { return remove(path); }
  Removal removeDirectory(const std::wstring& path) override { return remove(path); }
  bool exists(const std::wstring& path) override { return !gone.count(path); }
  bool deleteAtRestart(const std::wstring& path) override {
    fuzz::check(!listPathProblem(path), "only paths the cleanup may act on are scheduled");
    return choice & 8;
  }
  void pause(unsigned) override {}
};

struct FuzzedRestart : RestartActions {
  unsigned choice;
  explicit FuzzedRestart(unsigned choice) : choice(choice) {}
  bool restartNow() override { return choice & 16; }
  bool askToRestart(const std::wstring&) override { return choice & 32; }
  void warn(const std::wstring&) override {}
  void markRestartPending() override {}
};

} // namespace
} // namespace lnx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  FuzzedDataProvider provider(data, size);
  unsigned choice = provider.ConsumeIntegral<uint8_t>();
  size_t pieceSize = provider.ConsumeIntegralInRange<size_t>(1, 64);
  std::vector<uint8_t> list = provider.ConsumeRemainingBytes<uint8_t>();

  WindelLineReader reader;
  for (size_t at = 0; at < list.size(); at += pieceSize)
    reader.add(list.data() + at, std::min(pieceSize, list.size() - at));
  std::vector<std::wstring> lines = reader.finish();
  for (const std::wstring& line : lines)
    fuzz::check(line.size() <= kMaxWindelLine && line.find(L'\n') == std::wstring::npos, "a line within the limit");

  const std::vector<std::wstring> original = lines;
  FuzzedFiles files(choice);
  WindelOutcome outcome = runDeletionPasses(lines, files);
  fuzz::check(outcome.passes <= kMaxDeletionPasses, "the passes end by their limit");
  if (outcome.passes == 0)
    fuzz::check(lines == original && files.attempts.empty() && files.refused.empty() && !outcome.forceReboot &&
                    !outcome.rebootDeletion,
                "a malformed list touches nothing");
  const std::set<std::wstring> remaining(lines.begin(), lines.end());
  for (const std::wstring& line : original)
    fuzz::check(remaining.count(line) || files.gone.count(line) || files.refused.count(line) || listPathProblem(line),
                "a line leaves the list only when its path is gone, refused or not one to act on");

  FuzzedRestart restart(choice);
  handleRestart(outcome, restart);
  return 0;
}
