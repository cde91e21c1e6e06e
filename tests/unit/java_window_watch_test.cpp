#include <gtest/gtest.h>

#include <vector>

#include "launcher/java_window_watch.h"

namespace lnx {
namespace {

// A Java side whose window appears at a given poll and whose marker changes at a given poll.
struct ScriptedStart : JavaWindowWatchSystem {
  int windowAtPoll = -1; // poll number (0-based) from which two windows are visible
  unsigned long marker = 1;
  int markerChangesAtPoll = -1;
  unsigned long markerAfter = 0;
  int polls = 0; // sleeps so far
  std::vector<int> positions;

  int visibleWindowCount() override { return windowAtPoll >= 0 && polls >= windowAtPoll ? 2 : 1; }
  unsigned long startupMarker() override {
    return markerChangesAtPoll >= 0 && polls >= markerChangesAtPoll ? markerAfter : marker;
  }
  void setProgressPosition(int position) override { positions.push_back(position); }
  void sleepOnePoll() override { ++polls; }
};

TEST(JavaWindowWatch, TimesOutAtTick2400OnlyWhileTheMarkerIsOneAndTimeoutsAreOn) {
  ScriptedStart start;
  EXPECT_EQ(WatchEnd::timedOut, watchJavaWindowStart(start, 100, false));
  EXPECT_EQ(kWatchTimeoutTick - 1, start.polls) << "the 2400th tick ends before its sleep";

  ScriptedStart noTimeout;
  noTimeout.windowAtPoll = 5000;
  EXPECT_EQ(WatchEnd::windowVisible, watchJavaWindowStart(noTimeout, 100, true));
  EXPECT_EQ(5000, noTimeout.polls);

  ScriptedStart markerCleared; // a marker other than 1 at tick 2400 is no reason to give up
  markerCleared.marker = 0;
  markerCleared.windowAtPoll = 3000;
  EXPECT_EQ(WatchEnd::windowVisible, watchJavaWindowStart(markerCleared, 100, false));
}

TEST(JavaWindowWatch, EndsAtOnceOnAVisibleWindowOrMarker2) {
  ScriptedStart alreadyUp;
  alreadyUp.windowAtPoll = 0;
  EXPECT_EQ(WatchEnd::windowVisible, watchJavaWindowStart(alreadyUp, 200, false));
  EXPECT_EQ(0, alreadyUp.polls);
  EXPECT_TRUE(alreadyUp.positions.empty());

  ScriptedStart marked;
  marked.markerChangesAtPoll = 7;
  marked.markerAfter = 2;
  EXPECT_EQ(WatchEnd::markerSaysUp, watchJavaWindowStart(marked, 200, false));
  EXPECT_EQ(7, marked.polls);
}

TEST(JavaWindowWatch, PositionsAdvanceAQuarterOfTheRestEveryFifthTickUpTo390) {
  ScriptedStart start;
  start.windowAtPoll = 30;
  watchJavaWindowStart(start, 100, false);
  EXPECT_EQ((std::vector<int>{175, 250, 325, 390, 390, 390}), start.positions);

  ScriptedStart packed;
  packed.windowAtPoll = 15;
  watchJavaWindowStart(packed, 300, false);
  EXPECT_EQ((std::vector<int>{325, 350, 375}), packed.positions);

  EXPECT_EQ(390, watchPositionAfter(375, 300));
  EXPECT_EQ(250, watchPositionAfter(200, 200)) << "a quarter of 400 - 200";
}

} // namespace
} // namespace lnx
