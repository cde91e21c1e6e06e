#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "instance/semaphore_name.h"

namespace lnx {
namespace {

TEST(SemaphoreName, PrefixAndPathKeyKeepOnlyThePrefixBackslash) {
  std::string key = semaphorePathKey("c:\\my setups\\a b\\setup.exe");
  EXPECT_EQ("c:_my_setups_a_b_setup.exe", key);
  EXPECT_EQ("Local\\c:_my_setups_a_b_setup.exe7", semaphoreName(semaphorePrefix(false), key, 7));
  EXPECT_EQ("Global\\c:__x.exe", semaphoreName(semaphorePrefix(true), "c:__x.exe", -1));
}

// Names that exist already, as other running copies hold them.
struct TakenNames : SemaphoreCreator {
  std::set<std::string> existing;
  std::vector<std::string> tried;
  int open = 0;
  bool createExisted(const std::string& name) override {
    tried.push_back(name);
    ++open;
    return existing.count(name) != 0;
  }
  void closeLast() override { --open; }
};

TEST(SemaphoreName, TheFirstFreeCounterWinsAndTheLastCounterIsKeptEvenWhenTaken) {
  TakenNames names;
  names.existing = {"Local\\k0", "Local\\k1", "Local\\k3"};
  EXPECT_EQ("Local\\k2", claimNumberedSemaphore(names, "Local\\", "k"));
  EXPECT_EQ(1, names.open) << "only the claimed name's handle stays open";

  TakenNames full;
  for (int counter = 0; counter <= kLastSemaphoreCounter + 1; ++counter)
    full.existing.insert(semaphoreName("Local\\", "k", counter));
  EXPECT_EQ("Local\\k100000", claimNumberedSemaphore(full, "Local\\", "k"));
  EXPECT_EQ(static_cast<size_t>(kLastSemaphoreCounter + 1), full.tried.size());
  EXPECT_EQ(1, full.open);
}

} // namespace
} // namespace lnx
