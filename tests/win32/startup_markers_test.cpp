// The start-up markers against the real (Wine) registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "base/startup_markers.h"

namespace lnx {
namespace {

bool globalMarkerPresent() {
  DWORD value = 0, size = sizeof value;
  return RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\qorvane-systems\\morva", "InstallStarted", RRF_RT_REG_DWORD,
                      nullptr, &value, &size) == ERROR_SUCCESS &&
         value == 1;
}

TEST(StartupMarkers, SetReadAndRemove) {
  setStartupMarkers(false, true, true);
  EXPECT_EQ(0ul, readStartupMarker());
  EXPECT_FALSE(globalMarkerPresent());

  setStartupMarkers(true, true, false);
  EXPECT_EQ(1ul, readStartupMarker());
  EXPECT_FALSE(globalMarkerPresent()) << "only the per-process value was asked for";
  setStartupMarkers(true, false, true);
  EXPECT_TRUE(globalMarkerPresent());

  setStartupMarkers(false, true, true);
  EXPECT_EQ(0ul, readStartupMarker());
  EXPECT_FALSE(globalMarkerPresent());
}

TEST(StartupMarkers, LanguageRestartLeavesThemAlone) {
  launcherState().languageRestart = true;
  setStartupMarkers(true, true, true);
  launcherState().languageRestart = false;
  EXPECT_EQ(0ul, readStartupMarker());
  EXPECT_FALSE(globalMarkerPresent());
}

// Once the user has canceled, a marker the worker sets (a race with Cancel's removal) is
// refused, while removing still works. Cancel cannot be taken back, so each case runs in a
// process of its own.
TEST(StartupMarkersDeathTest, CanceledRunSetsNoneAndStillRemoves) {
  setStartupMarkers(false, false, true); // a global marker an earlier run left
  EXPECT_EXIT(
      {
        requestCancel();
        setStartupMarkers(true, true, true);
        std::exit(readStartupMarker() == 0 && !globalMarkerPresent() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setStartupMarkers(true, true, true);
        requestCancel();
        setStartupMarkers(false, true, true);
        std::exit(readStartupMarker() == 0 && !globalMarkerPresent() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace lnx
