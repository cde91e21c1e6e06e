#include "natives/service_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace lnx {
namespace {

using namespace std::string_literals;

TEST(ServiceRules, DependencyTextsBecomeMultiStringsWithoutEmptyNames) {
  EXPECT_EQ(u"\0\0"s, dependencyList(u""));
  EXPECT_EQ(u"\0\0"s, dependencyList(u",,,")) << "only commas";
  EXPECT_EQ(u"a\0b\0\0"s, dependencyList(u"a,,b"));
  EXPECT_EQ(u"a\0\0"s, dependencyList(u",a,"));
  EXPECT_EQ(u" a \0 b\0\0"s, dependencyList(u" a , b")) << "blanks stay";
  EXPECT_EQ(u"Tcpip\0"s
            u"\u00e9v\0\0"s,
            dependencyList(u"Tcpip,\u00e9v"));
  EXPECT_EQ(u"a\0b\0\0"s, dependencyList(u"a,b\0,c"s)) << "the text ends at its first NUL";
  EXPECT_EQ(u"\0\0"s, dependencyList(u"\0a"s));
}

TEST(ServiceRules, DependencyListsFitTheirBuffer) {
  std::u16string longest(kDependencyListUnits - 2, u'x');
  std::optional<std::u16string> fitting = dependencyList(longest);
  ASSERT_TRUE(fitting);
  EXPECT_EQ(kDependencyListUnits, fitting->size());
  EXPECT_FALSE(dependencyList(longest + u"x"));
  EXPECT_FALSE(dependencyList(longest.substr(0, 4095) + u"," + longest.substr(0, 4095) + u",yy"));
  EXPECT_TRUE(dependencyList(longest + u",,,")) << "commas add no units";
}

TEST(ServiceRules, OnlyTheExactLocalSystemNamesBecomeLocalSystem) {
  EXPECT_EQ(u"LocalSystem", serviceAccountName(u"NT AUTHORITY\\System"));
  EXPECT_EQ(u"LocalSystem", serviceAccountName(u"NT AUTHORITY\\LocalSystem"));
  for (const char16_t* kept : {u"nt authority\\localsystem", u"NT AUTHORITY\\SYSTEM", u"NT AUTHORITY\\LocalService",
                               u".\\installer", u"LocalSystem", u""})
    EXPECT_EQ(kept, serviceAccountName(kept));
}

// A service whose status follows a script over the milliseconds since the stop request,
// on a tick counter that wraps around 2^32 during the wait.
class ScriptedService : public ServiceStopWatch {
public:
  explicit ScriptedService(std::function<std::optional<ServiceStopStatus>(uint32_t)> script)
      : script_(std::move(script)) {}

  std::optional<ServiceStopStatus> queryStatus() override {
    ++queries;
    // A wait that never ends shows as a failed query instead of a hung test.
    return elapsed() > 3600000 ? std::nullopt : script_(elapsed());
  }
  uint32_t tickCount() override { return now_; }
  void sleep(uint32_t milliseconds) override {
    EXPECT_EQ(kStopPollMillis, milliseconds);
    now_ += milliseconds;
  }
  uint32_t elapsed() const { return now_ - kOrigin; }

  int queries = 0;

private:
  static constexpr uint32_t kOrigin = 0xFFFFFA00; // wraps after 1,536 ms
  std::function<std::optional<ServiceStopStatus>(uint32_t)> script_;
  uint32_t now_ = kOrigin;
};

constexpr uint32_t kStopPending = 3;

ServiceStopStatus stopped() { return {kServiceStoppedState, 0, 0}; }
ServiceStopStatus pending(uint32_t checkPoint, uint32_t waitHint) { return {kStopPending, checkPoint, waitHint}; }

TEST(ServiceStopWait, EndsAsSoonAsTheServiceReportsStopped) {
  ScriptedService already([](uint32_t) { return stopped(); });
  EXPECT_EQ(0, waitForServiceStop(already, 10000));
  EXPECT_EQ(0u, already.elapsed()) << "no pause";

  ScriptedService quick([](uint32_t elapsed) { return elapsed == 0 ? pending(0, 0) : stopped(); });
  EXPECT_EQ(0, waitForServiceStop(quick, 10000));
  EXPECT_EQ(500u, quick.elapsed()) << "one poll, although the time limit is far";
}

TEST(ServiceStopWait, AStalledServiceIsWaitedForUntilBothItsHintAndTheLimitHavePassed) {
  ScriptedService noLimit([](uint32_t) { return pending(1, 300); });
  EXPECT_EQ(kServiceStillRunning, waitForServiceStop(noLimit, 0));
  EXPECT_EQ(500u, noLimit.elapsed());

  ScriptedService longHint([](uint32_t) { return pending(1, 2000); });
  EXPECT_EQ(kServiceStillRunning, waitForServiceStop(longHint, 0));
  EXPECT_EQ(2500u, longHint.elapsed()) << "the first poll after more than the hint";

  ScriptedService longLimit([](uint32_t) { return pending(1, 300); });
  EXPECT_EQ(kServiceStillRunning, waitForServiceStop(longLimit, 2000));
  EXPECT_EQ(2500u, longLimit.elapsed()) << "the first poll after more than the limit";

  ScriptedService negativeLimit([](uint32_t) { return pending(1, 300); });
  EXPECT_EQ(kServiceStillRunning, waitForServiceStop(negativeLimit, -1));
  EXPECT_EQ(500u, negativeLimit.elapsed()) << "a negative limit counts as none";
}

TEST(ServiceStopWait, AnAdvancingCheckPointKeepsTheWaitGoing) {
  // Progress every poll for 3 s, then a stall: the hint counts from the last progress.
  auto advancingThenStalled = [](uint32_t elapsed) { return pending(std::min(elapsed, 3000u) / 500, 100); };
  ScriptedService stalls(advancingThenStalled);
  EXPECT_EQ(kServiceStillRunning, waitForServiceStop(stalls, 0));
  EXPECT_EQ(3500u, stalls.elapsed());

  ScriptedService stops([](uint32_t elapsed) { return elapsed >= 3200 ? stopped() : pending(elapsed / 500, 100); });
  EXPECT_EQ(0, waitForServiceStop(stops, 0));
  EXPECT_EQ(3500u, stops.elapsed());

  // A check point that falls back is no progress.
  ScriptedService fallsBack([](uint32_t elapsed) { return pending(elapsed == 0 ? 5 : 1, 300); });
  EXPECT_EQ(kServiceStillRunning, waitForServiceStop(fallsBack, 0));
  EXPECT_EQ(500u, fallsBack.elapsed());
}

TEST(ServiceStopWait, AFailedStatusQueryEndsTheWait) {
  ScriptedService atOnce([](uint32_t) { return std::optional<ServiceStopStatus>(); });
  EXPECT_EQ(kServiceStatusQueryFailed, waitForServiceStop(atOnce, 0));
  EXPECT_EQ(1, atOnce.queries);

  ScriptedService later([](uint32_t elapsed) {
    return elapsed < 1000 ? std::optional<ServiceStopStatus>(pending(elapsed, 0)) : std::nullopt;
  });
  EXPECT_EQ(kServiceStatusQueryFailed, waitForServiceStop(later, 0));
  EXPECT_EQ(1000u, later.elapsed());
}

} // namespace
} // namespace lnx
