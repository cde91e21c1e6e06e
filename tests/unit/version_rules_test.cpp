#include "runtime/version_rules.h"

#include <gtest/gtest.h>

#include "payload/catalogue.h"
#include "runtime/version_line.h"
#include "test_config.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

VersionList parsed(const std::string& text) {
  VersionList list;
  parseVersion(text, list);
  return list;
}

TEST(ParseVersion, SplitsAtSeparatorRunsAndReadsLeadingDigits) {
  EXPECT_EQ((VersionList{1, 8, 0, 201, 0}), parsed("1.8.0_201-b09"));
  EXPECT_EQ((VersionList{9, 0}), parsed("9-ea"));
  EXPECT_EQ((VersionList{11, 0, 2, 9}), parsed("11.0.2+9"));
  EXPECT_EQ(VersionList{}, parsed(""));
  EXPECT_EQ((VersionList{1, 7}), parsed("._1.._7+-"));
  EXPECT_EQ((VersionList{7, 12, 0}), parsed(" 7. 12abc.x")) << "leading blanks are skipped, like atoi";
  EXPECT_EQ((VersionList{0, 3}), parsed(" -3")) << "'-' separates, so a blank piece comes first";
}

TEST(ParseVersion, AppendsToTheGivenList) {
  VersionList list{5};
  parseVersion("1.2", list);
  EXPECT_EQ((VersionList{5, 1, 2}), list);
}

TEST(ParseVersionBounds, EmptyTextIsNoBound) {
  VersionBounds bounds = parseVersionBounds("1.8.0_101", "");
  EXPECT_EQ((VersionList{1, 8, 0, 101}), bounds.minimum);
  EXPECT_TRUE(bounds.maximum.empty());
}

TEST(CheckVersionBound, BoundsAreInclusiveAndComparedNumerically) {
  const VersionList min17{1, 7};
  EXPECT_FALSE(checkVersionBound(min17, parsed("1.6.0_45"), false, false));
  EXPECT_TRUE(checkVersionBound(min17, parsed("1.7"), false, false));
  EXPECT_TRUE(checkVersionBound(min17, parsed("11"), false, false));
  const VersionList max18{1, 8};
  EXPECT_TRUE(checkVersionBound(max18, parsed("1.8.0_401"), true, false))
      << "components past the bound are not looked at";
  EXPECT_FALSE(checkVersionBound(max18, parsed("1.9"), true, false));
  EXPECT_FALSE(checkVersionBound(max18, parsed("11.0.2"), true, false));
  EXPECT_TRUE(checkVersionBound(max18, parsed("1.8"), true, false));
}

TEST(CheckVersionBound, MissingComponentsInPrefixAndExactMode) {
  const VersionList min{1, 8, 0, 101};
  EXPECT_TRUE(checkVersionBound(min, parsed("1.8"), false, true));
  EXPECT_FALSE(checkVersionBound(min, parsed("1.8"), false, false)) << "missing components count as 0";
  EXPECT_FALSE(checkVersionBound(min, parsed("1.7"), false, true)) << "a prefix must match as far as it goes";
  const VersionList max{1, 8, 0, 101};
  EXPECT_TRUE(checkVersionBound(max, parsed("1.8"), true, false));
  EXPECT_TRUE(checkVersionBound(max, parsed("1.8"), true, true));
  EXPECT_TRUE(checkVersionBound(VersionList{-1}, VersionList{}, false, false)) << "0 > -1: signed comparison";
}

TEST(CheckVersionBound, EmptyBoundAdmitsEverything) {
  for (const char* version : {"", "0", "1.8.0_201", "99.99"}) {
    EXPECT_TRUE(checkVersionBound({}, parsed(version), false, false)) << version;
    EXPECT_TRUE(checkVersionBound({}, parsed(version), true, false)) << version;
  }
}

TEST(VersionRange, ShortRegistryVersionsPassAsPrefixes) {
  test::ConfigScope config;
  VersionBounds bounds = parseVersionBounds("1.8.0_101", "");
  EXPECT_TRUE(isVersionInRange("1.8", bounds));
  EXPECT_FALSE(isVersionAllowed("1.8", bounds, true));
  EXPECT_TRUE(isVersionAllowed("1.8.0_101", bounds, true));
  VersionBounds window = parseVersionBounds("1.7", "1.8");
  EXPECT_TRUE(isVersionInRange("1.8.0_401", window));
  EXPECT_FALSE(isVersionInRange("1.6", window));
  EXPECT_FALSE(isVersionInRange("11", window));
}

TEST(VersionAllowed, BetaTextIsRejectedUnlessAllowed) {
  test::ConfigScope config;
  VersionBounds none;
  {
    test::LogCapture log;
    EXPECT_FALSE(isVersionAllowed("1.8.0_202-ea", none, false));
    EXPECT_TRUE(log.contains(L"beta vm not allowed"));
  }
  for (const char* text : {"1.9.0-beta", "11-rc1", "1.8.0-release", "1.8.0-src"})
    EXPECT_FALSE(isVersionAllowed(text, none, false)) << text << " contains a beta marker as plain text";
  EXPECT_TRUE(isVersionAllowed("1.8.0-RC1", none, false)) << "the test is case-sensitive";
  EXPECT_TRUE(isVersionAllowed("1.8.0_202-ea", none, true));
  EXPECT_FALSE(isVersionAllowed("1.8.0_202-ea", parseVersionBounds("1.8.0_203", ""), true))
      << "with beta allowed the bounds still decide";
  config.set(config::allowBeta, "1");
  EXPECT_TRUE(isVersionAllowed("1.8.0_202-ea", none, false));
}

TEST(VersionGreater, StrictOrderOverComponents) {
  EXPECT_FALSE(isVersionGreater("1.8.0_31", "1.8.0_201"));
  EXPECT_TRUE(isVersionGreater("1.8.0_201", "1.8.0_31"));
  EXPECT_TRUE(isVersionGreater("1.8.0", "1.8"));
  EXPECT_FALSE(isVersionGreater("1.8", "1.8.0"));
  EXPECT_FALSE(isVersionGreater("1.8.0_201", "1.8.0_201"));
  EXPECT_TRUE(isVersionGreater("1", ""));
  EXPECT_FALSE(isVersionGreater("", ""));
  EXPECT_TRUE(isVersionGreater("11.0.2", "1.8.0_401"));
}

TEST(ProbeOutput, OptionNoticesBeforeTheVersionLineAreSkipped) {
  EXPECT_EQ("1.8.0_201", versionFromProbeOutput("Picked up JAVA_TOOL_OPTIONS: -Dfile.encoding=UTF8\r\n"
                                                "java version \"1.8.0_201\"\r\n"
                                                "Java(TM) SE Runtime Environment (build 1.8.0_201-b09)\r\n"));
  EXPECT_EQ("17.0.2", versionFromProbeOutput("Picked up _JAVA_OPTIONS: -Xmx1g\n"
                                             "Picked up JDK_JAVA_OPTIONS: -Dname=\"openjdk version \"\n"
                                             "openjdk version \"17.0.2\" 2022-01-18\n"));
  EXPECT_EQ("11.0.2", versionFromProbeOutput("openjdk version \"11.0.2\" 2019-01-15\nOpenJDK Runtime\n"));
}

TEST(ProbeOutput, OnlyTheFirstOtherLineCounts) {
  EXPECT_EQ(std::nullopt, versionFromProbeOutput("Error occurred during initialization of VM\n"
                                                 "java version \"1.8.0_201\"\n"));
  EXPECT_EQ(std::nullopt, versionFromProbeOutput("Picked up _JAVA_OPTIONS: -Xmx1g\n"));
  EXPECT_EQ(std::nullopt, versionFromProbeOutput(""));
}

} // namespace
} // namespace lnx
