#include "jvm/variable_expansion.h"

#include <gtest/gtest.h>

#include "test_log_capture.h"

namespace lnx {
namespace {

ExpansionInputs<std::wstring> wideInputs() {
  ExpansionInputs<std::wstring> inputs;
  inputs.launcherDirectory = L"C:\\setup\\";
  inputs.launcherTempDirectory = "C:\\Temp\\e4j1.tmp";
  inputs.jvmHome = "C:\\jre\\bin\\..";
  inputs.tempBase = L"C:\\Temp";
  inputs.environment = {L"Path=C:\\windows", L"NOEQUALS", L"OPTS=-Da=b", L"HOME=h"};
  return inputs;
}

ExpansionInputs<std::string> narrowInputs() {
  ExpansionInputs<std::string> inputs{"C:\\setup\\", "C:\\Temp\\e4j1.tmp", "C:\\jre\\bin\\..", "C:\\Temp", {}};
  inputs.environment = {"Path=C:\\windows", "NOEQUALS", "OPTS=-Da=b", "HOME=h"};
  return inputs;
}

template <class String>
String expanded(String text, const ExpansionInputs<String>& inputs, size_t capacity = kExpansionBufferChars) {
  expandVariablesWith(text, inputs, capacity);
  return text;
}

TEST(VariableExpansion, FixedTokensTakeTheirValuesInBothVariants) {
  EXPECT_EQ(L"C:\\Temp\\e4j1.tmp\\user",
            expanded<std::wstring>(L"${launcher:sys.launcherTempDirectory}\\user", wideInputs()));
  EXPECT_EQ("C:\\Temp\\e4j1.tmp\\user",
            expanded<std::string>("${launcher:sys.launcherTempDirectory}\\user", narrowInputs()));
  EXPECT_EQ(L"C:\\setup\\a.jar;C:\\jre\\bin\\..|C:\\Temp|C:\\Temp\\e4j1.tmp",
            expanded<std::wstring>(L"%MORVA_EXEDIR%a.jar${LANTERNIX_PATHLIST_SEPARATOR}%LANTERNIX_JVM_HOME%|"
                                   L"${launcher:sys.tempDir}|${MORVA_TEMPDIR}",
                                   wideInputs()));
  EXPECT_EQ("C:\\setup\\lib.jar", expanded<std::string>("${launcher:sys.launcherDirectory}lib.jar", narrowInputs()));
  EXPECT_EQ("C:\\setup\\\\lib.jar", expanded<std::string>("${launcher:sys.launcherDirectory}\\lib.jar", narrowInputs()))
      << "the doubled separator is kept";
}

TEST(VariableExpansion, UnknownAndMissingValues) {
  auto inputs = narrowInputs();
  inputs.jvmHome.clear();
  EXPECT_EQ("\\bin", expanded<std::string>("${launcher:sys.jvmHome}\\bin", inputs));
  EXPECT_EQ("${launcher:sys.other} %morva_exedir% ${NOEQUALS}",
            expanded<std::string>("${launcher:sys.other} %morva_exedir% ${NOEQUALS}", inputs));
}

TEST(VariableExpansion, EnvironmentTokenAsSpelledAndUpperCased) {
  EXPECT_EQ(L"C:\\windows;C:\\windows;${path}", expanded<std::wstring>(L"${Path};${PATH};${path}", wideInputs()));
  EXPECT_EQ("-Da=b", expanded<std::string>("${OPTS}", narrowInputs())) << "split at the first '='";
}

TEST(VariableExpansion, InsertedTextIsSeenOnlyByLaterTokens) {
  auto inputs = narrowInputs();
  inputs.launcherDirectory = "%MORVA_TEMPDIR%\\";
  inputs.launcherTempDirectory = "%MORVA_EXEDIR%";
  inputs.environment = {"EARLY=${LATE}", "FIXED=${launcher:sys.jvmHome}", "LATE=late", "BACK=${EARLY}"};
  EXPECT_EQ("%MORVA_EXEDIR%\\", expanded<std::string>("%MORVA_EXEDIR%", inputs));
  EXPECT_EQ("late|${launcher:sys.jvmHome}|${EARLY}", expanded<std::string>("${EARLY}|${FIXED}|${BACK}", inputs));
}

TEST(VariableExpansion, RepeatedTokensAndSelfReferences) {
  auto inputs = narrowInputs();
  inputs.environment = {"HOME=h", "loop=a${loop}b", "SELF=x${SELF}"};
  EXPECT_EQ("h-h", expanded<std::string>("${HOME}-${HOME}", inputs));
  EXPECT_EQ("a${loop}b", expanded<std::string>("${loop}", inputs));
  // An upper-case name is its own upper-case token, so its value is inserted by both passes.
  EXPECT_EQ("xx${SELF}", expanded<std::string>("${SELF}", inputs));
}

TEST(ReplaceAll, LogsEachReplacementWithTheWholeText) {
  test::LogCapture log;
  std::wstring wide = L"a${X}b${X}";
  replaceAll(wide, L"${X}", L"v");
  std::wstring widened = L"${X}";
  replaceAll(widened, L"${X}", std::string("n"));
  std::string narrow = "${Y}!";
  replaceAll(narrow, "${Y}", "w");
  EXPECT_EQ((std::vector<std::wstring>{L"expanding2 ${X} to v in avb${X}.", L"expanding2 ${X} to v in avbv.",
                                       L"expanding2 ${X} to n in n.", L"expanding2 ${Y} to w in w!."}),
            log.captured());
}

TEST(ReplaceAll, GrowthPastCapacityIsCutAndLogged) {
  test::LogCapture log;
  std::string text = "${X}${X}${X}";
  replaceAll(text, "${X}", "abcd", 10);
  EXPECT_EQ("abcdabcd$", text);
  EXPECT_TRUE(log.contains(L"ERROR: expansion of ${X} truncated at 9 characters"));

  std::wstring pair = L"${X}";
  replaceAll(pair, L"${X}", std::wstring{L'a', L'b', wchar_t(0xD83D), wchar_t(0xDE00)}, 4);
  EXPECT_EQ(L"ab", pair) << "a UTF-16 pair is not split";

  auto inputs = wideInputs();
  inputs.environment = {L"BIG=" + std::wstring(7000, L'x')};
  std::wstring big = expanded<std::wstring>(L"[${BIG}]", inputs);
  EXPECT_EQ(L"[" + std::wstring(5998, L'x'), big) << "the default capacity holds 5999 characters";
}

} // namespace
} // namespace lnx
