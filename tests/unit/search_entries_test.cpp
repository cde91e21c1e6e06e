#include "runtime/search_entries.h"

#include <gtest/gtest.h>

#include "runtime/jvm_home.h"
#include "runtime/version_line.h"

namespace lnx {
namespace {

TEST(SearchSequence, EntriesWithTypeLetters) {
  std::vector<SearchEntry> entries = parseSearchSequence("Y;EJAVA_HOME;;A..\\jre;Xodd;S");
  ASSERT_EQ(5u, entries.size());
  EXPECT_EQ('Y', entries[0].type);
  EXPECT_EQ("", entries[0].text);
  EXPECT_EQ("JAVA_HOME", entries[1].text);
  EXPECT_EQ("..\\jre", entries[2].text);
  EXPECT_EQ('X', entries[3].type);
  EXPECT_EQ('S', entries[4].type);
  EXPECT_TRUE(parseSearchSequence("").empty());
}

TEST(SearchSequence, RelativePassTakesBAndRelativeAOrR) {
  EXPECT_TRUE(takesPartInRelativePass({'B', "c:\\java"}));
  EXPECT_TRUE(takesPartInRelativePass({'R', "jre"}));
  EXPECT_TRUE(takesPartInRelativePass({'A', "\\java"}));
  EXPECT_TRUE(takesPartInRelativePass({'A', "j"}));
  EXPECT_FALSE(takesPartInRelativePass({'A', "c:\\java"}));
  EXPECT_FALSE(takesPartInRelativePass({'R', "\\\\server\\java"}));
  EXPECT_FALSE(takesPartInRelativePass({'E', "JAVA_HOME"}));
  EXPECT_FALSE(takesPartInRelativePass({'Y', ""}));
}

TEST(SearchSequence, LocationFileLineLosesItsLineEnd) {
  EXPECT_EQ("C:\\java\\jre", locationFileLine("C:\\java\\jre\r\nsecond line\r\n"));
  EXPECT_EQ("C:\\java", locationFileLine("C:\\java"));
  EXPECT_EQ("", locationFileLine("\r\n"));
}

TEST(ProbeLine, VersionBetweenTheQuotes) {
  EXPECT_EQ("1.8.0_201", versionFromProbeLine("java version \"1.8.0_201\"\n"));
  EXPECT_EQ("17.0.2", versionFromProbeLine("openjdk version \"17.0.2\" 2022-01-18\n"));
  EXPECT_EQ(std::nullopt, versionFromProbeLine("Picked up _JAVA_OPTIONS: -Xmx1g\n"));
  EXPECT_EQ(std::nullopt, versionFromProbeLine("java version 1.8\n"));
  EXPECT_EQ(std::nullopt, versionFromProbeLine("java version \"1.8"));
}

TEST(ProbeLine, CommandLineQuotesAPathWithSpaces) {
  EXPECT_EQ("C:\\PROGRA~1\\Java\\bin\\java.exe -version", probeCommandLine("C:\\PROGRA~1\\Java\\bin\\java.exe"));
  EXPECT_EQ("\"C:\\Program Files\\Java\\bin\\java.exe\" -version",
            probeCommandLine("C:\\Program Files\\Java\\bin\\java.exe"));
}

TEST(JvmHome, DirectoryOfTheJavaExeAndDotDot) {
  setJvmHome("c:\\java\\bin\\javaw.exe", "1.8.0_201");
  EXPECT_EQ("c:\\java\\bin\\..", jvmHome());
  EXPECT_EQ("1.8.0_201", jvmVersion());
  setJvmHome("c:\\jdk\\jre\\bin\\java.exe", "11");
  EXPECT_EQ("c:\\jdk\\jre\\bin\\..", jvmHome());
  EXPECT_EQ("c:\\x\\", javaExeDirectory("c:\\x\\java.exe"));
}

} // namespace
} // namespace lnx
