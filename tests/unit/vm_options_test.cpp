#include "jvm/vm_options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <set>

#include "jvm/variable_expansion.h"
#include "test_config.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

struct FatalError {
  int messageId;
  std::string argument;
};

class FakeFiles : public VmOptionsFiles {
public:
  std::map<std::wstring, std::string> textFiles;
  std::map<std::string, std::vector<std::string>> directories; // names in listing order
  std::set<std::string> existing;
  std::vector<std::wstring> opened;

  TextFile readTextFile(const std::wstring& path) override {
    opened.push_back(path);
    auto found = textFiles.find(path);
    return found == textFiles.end() ? TextFile() : TextFile{&found->second, found->second};
  }
  std::vector<std::string> listFiles(const std::string& directory, const std::string& extension) override {
    std::vector<std::string> names;
    auto listing = directories.find(directory);
    if (listing == directories.end()) return names;
    for (const std::string& name : listing->second)
      if (name.size() > extension.size() && name.substr(name.size() - extension.size() - 1) == "." + extension)
        names.push_back(name);
    return names;
  }
  bool pathExists(const std::string& path) override { return existing.count(path) || directories.count(path); }
};

class VmOptions : public ::testing::Test {
protected:
  VmOptions() {
    inputs.arguments = {L"C:\\Setup Files\\setup.exe"};
    inputs.tempDir = "C:\\Temp\\e4j1.tmp";
    inputs.launcherDirectory = "C:\\SETUP~1\\";
    inputs.launcherDirectoryLong = L"C:\\Setup Files\\";
    inputs.longExecutableName = L"C:\\Setup Files\\setup.exe";
    inputs.moduleFileName = L"C:\\SETUP~1\\setup.exe";
    inputs.environmentVariable = [this](const std::string& name) -> std::optional<std::string> {
      auto found = environment.find(name);
      return found == environment.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    inputs.expandWide = [this](std::wstring& text, bool shortForms) {
      ExpansionInputs<std::wstring> values{shortForms ? L"C:\\SETUP~1\\" : L"C:\\Setup Files\\", inputs.tempDir, "",
                                           L"C:\\Temp", {}};
      expandVariablesWith(text, values);
    };
    inputs.expandNarrow = [this](std::string& text) {
      ExpansionInputs<std::string> values{inputs.launcherDirectory, inputs.tempDir, "", "C:\\Temp", {}};
      expandVariablesWith(text, values);
    };
    inputs.fail = [](int messageId, const std::string& argument) { throw FatalError{messageId, argument}; };
  }

  VmOptionList build() { return buildVmOptions(inputs, files); }
  // Everything the configuration and default file contributed, without the class path.
  VmOptionList optionsBeforeClassPath() {
    VmOptionList options = build();
    EXPECT_EQ(0u, options.back().rfind("-Djava.class.path=", 0));
    options.pop_back();
    return options;
  }
  void defaultFile(const std::string& text) {
    config.set(166, "1");
    files.textFiles[L"C:\\Setup Files\\setup.vmoptions"] = text;
  }

  test::LogCapture log;
  test::ConfigScope config;
  VmOptionsInputs inputs;
  FakeFiles files;
  std::map<std::string, std::string> environment;
};

TEST_F(VmOptions, SevenSourcesInTheirOrder) {
  config.set(123, "-Xmx64m \"-Dconfigured=${LANTERNIX_EXEDIR}\"");
  config.set(10200, "1");
  config.set(10201, "1.8");
  config.set(10202, "-Dspecific=1");
  config.set(125, "1");
  config.set(121, "A1lib\\app.jar");
  defaultFile("-Dfrom.file=1\n");
  inputs.launcherProperties = {"-Dlauncher.prop=1"};
  inputs.jvmVersion = "1.8.0_202";
  inputs.arguments.insert(inputs.arguments.end(), {L"-J-Dfrom.j=1", L"plain"});
  inputs.language = "de";
  inputs.country = "CH";
  files.existing.insert("C:\\SETUP~1\\lib\\app.jar");
  files.directories[inputs.tempDir] = {"a.jar"};

  EXPECT_EQ((VmOptionList{"-Dlauncher.prop=1", "-Xmx64m", "-Dconfigured=C:\\SETUP~1\\", "-Dspecific=1",
                          "-Dfrom.j=1", "-Duser.language=de", "-Duser.country=CH", "-Dfrom.file=1",
                          "-Djava.class.path=C:\\Temp\\e4j1.tmp\\a.jar;C:\\SETUP~1\\lib\\app.jar;"}),
            build());
  EXPECT_TRUE(log.contains(L"vmoption count 9"));
  EXPECT_TRUE(log.contains(L"vmoption 8: -Djava.class.path=C:\\Temp\\e4j1.tmp\\a.jar;C:\\SETUP~1\\lib\\app.jar;"));
}

TEST_F(VmOptions, ClassPathOverridesAroundTheArchives) {
  defaultFile("-classpath/a C:\\late1\n-classpath/p C:\\first\n-classpath/a C:\\late2\n");
  config.set(121, "A1lib\\app.jar");
  files.existing.insert("C:\\SETUP~1\\lib\\app.jar");
  files.directories[inputs.tempDir] = {"b.zip", "a.jar"};
  files.directories[inputs.tempDir + "\\user"] = {"u.jar"};
  EXPECT_EQ("-Djava.class.path=C:\\first;C:\\Temp\\e4j1.tmp\\a.jar;C:\\Temp\\e4j1.tmp\\b.zip;"
            "C:\\Temp\\e4j1.tmp\\user\\u.jar;C:\\SETUP~1\\lib\\app.jar;C:\\late2",
            build().back());

  // A replacement leaves out configuration 121 (whose missing entry would be fatal), not the TempDir.
  files.textFiles[L"C:\\Setup Files\\setup.vmoptions"] = "-classpath C:\\own.jar\n-classpath/a C:\\late\n";
  files.existing.clear();
  EXPECT_EQ("-Djava.class.path=C:\\Temp\\e4j1.tmp\\a.jar;C:\\Temp\\e4j1.tmp\\b.zip;C:\\Temp\\e4j1.tmp\\user\\u.jar;"
            "C:\\own.jar;C:\\late",
            build().back());
}

TEST_F(VmOptions, FileLinesTrimmedAndCommentsSkipped) {
  const std::string longOption = "-Dlong=" + std::string(29999 - 7, 'x');
  defaultFile("  -Dspaces=1   \r\n# comment\n\n    \r\n\t# tab\r\n" + longOption +
              "-Dpiece=1\n-Dlast=${LANTERNIX_EXEDIR}");
  VmOptionList options = optionsBeforeClassPath();
  ASSERT_EQ(5u, options.size());
  EXPECT_EQ("-Dspaces=1", options[0]);
  EXPECT_EQ("\t# tab", options[1]);
  EXPECT_EQ(0u, options[2].rfind("-Dlong=xxx", 0));
  EXPECT_EQ("-Dpiece=1", options[3]) << "a line past 29999 bytes goes on as a line of its own";
  EXPECT_EQ("-Dlast=C:\\SETUP~1\\", options[4]) << "file lines expand with short forms";
}

TEST_F(VmOptions, IncludesResolveAgainstTheIncludingFile) {
  config.set(123, "-include-options first.vmoptions -classpath C:\\x.jar -include-options");
  files.textFiles[L"C:\\Setup Files\\first.vmoptions"] = "-Dfirst=1\n";
  defaultFile("-include-options conf\\a.vmoptions\n");
  files.textFiles[L"C:\\Setup Files\\conf\\a.vmoptions"] = "-Da=1\n-include-options sub\\b.vmoptions\n-Da=2\n";
  files.textFiles[L"C:\\Setup Files\\conf\\sub\\b.vmoptions"] = "-Db=1\n-include-options missing.vmoptions\n";
  EXPECT_EQ((VmOptionList{"-Dfirst=1", "-classpath", "C:\\x.jar", "-include-options", "-Da=1", "-Db=1", "-Da=2"}),
            optionsBeforeClassPath());
  EXPECT_EQ(L"C:\\Setup Files\\conf\\sub\\missing.vmoptions", files.opened.back());
}

TEST_F(VmOptions, IncludeCycleStopsAtTheDepthLimit) {
  defaultFile("-Dloop\n-include-options setup.vmoptions\n");
  VmOptionList options = optionsBeforeClassPath();
  EXPECT_EQ(VmOptionList(kMaxIncludeDepth + 1, "-Dloop"), options);
  EXPECT_TRUE(
      log.contains(L"ERROR: vmoptions files nested deeper than 10, not reading C:\\Setup Files\\setup.vmoptions"));
}

TEST_F(VmOptions, AFileIncludingItselfOftenStopsAtTheFileLimit) {
  const std::string include = "-include-options setup.vmoptions\n";
  defaultFile("-Dloop\n" + include + include + include);
  VmOptionList options = optionsBeforeClassPath();
  EXPECT_EQ(VmOptionList(kMaxIncludedFiles + 1, "-Dloop"), options);
  EXPECT_TRUE(
      log.contains(L"ERROR: more than 100 vmoptions files included, not reading C:\\Setup Files\\setup.vmoptions"));
}

TEST_F(VmOptions, DefaultFileNamesInOrder) {
  files.textFiles[L"C:\\SETUP~1\\setup.exe.vmoptions"] = "found";
  EXPECT_EQ("found", openDefaultVmOptionsFile(inputs.longExecutableName, inputs.moduleFileName, files).text);
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\Setup Files\\setup.vmoptions", L"C:\\Setup Files\\setup.exe.vmoptions",
                                       L"C:\\SETUP~1\\setup.vmoptions", L"C:\\SETUP~1\\setup.exe.vmoptions"}),
            files.opened);
  files.textFiles.clear();
  EXPECT_EQ(nullptr, openDefaultVmOptionsFile(inputs.longExecutableName, inputs.moduleFileName, files).handle);
}

TEST(VmOptionJoining, SeparateValuesJoinedOnce) {
  VmOptionList options{"--add-opens", "java.base/java.lang=ALL-UNNAMED", "--add-modules=x", "--limit-modules",
                       "a",           "--patch-module",                  "--add-reads",     "-Dx",
                       "--add-exports"};
  joinModuleOptions(options);
  EXPECT_EQ((VmOptionList{"--add-opens=java.base/java.lang=ALL-UNNAMED", "--add-modules=x", "--limit-modules=a",
                          "--patch-module=--add-reads", "-Dx", "--add-exports"}),
            options);
}

TEST_F(VmOptions, VersionSpecificLines) {
  config.set(10200, "3");
  config.set(10201, "1.7");
  config.set(10202, "-Dv=7");
  config.set(10203, "1.8");
  config.set(10204, "-Dv=8 -Dw=8");
  config.set(10205, "1");
  config.set(10206, "-Dv=1");
  inputs.jvmVersion = "1.8.0_202";
  EXPECT_EQ((VmOptionList{"-Dv=8", "-Dw=8"}), optionsBeforeClassPath());
  EXPECT_TRUE(log.contains(L"checking version 1.7 0"));
  inputs.jvmVersion.clear();
  EXPECT_EQ(VmOptionList{}, optionsBeforeClassPath());
}

TEST_F(VmOptions, LocaleUnlessFormatLocaleRequested) {
  inputs.language = "de";
  inputs.country = "CH";
  const std::wstring on = L"-Dsun.locale.formatasdefault=true", off = L"-Dsun.locale.formatasdefault=false";
  inputs.arguments = {L"setup.exe", off, on};
  EXPECT_EQ(VmOptionList{"-Dsun.locale.formatasdefault=true"}, optionsBeforeClassPath());
  inputs.arguments = {L"setup.exe", on, off};
  EXPECT_EQ((VmOptionList{"-Dsun.locale.formatasdefault=false", "-Duser.language=de", "-Duser.country=CH"}),
            optionsBeforeClassPath());
  inputs.arguments = {L"setup.exe"};
  inputs.country.clear();
  EXPECT_EQ(VmOptionList{"-Duser.language=de"}, optionsBeforeClassPath());
}

TEST_F(VmOptions, JArgumentsOnlyWhenConfigured) {
  inputs.arguments = {L"setup.exe", L"-J-Xmx1g", L"x-Jy", L"-J-classpath/p C:\\p"};
  EXPECT_EQ(VmOptionList{"-Djava.class.path="}, build());
  config.set(125, "1");
  EXPECT_EQ((VmOptionList{"-Xmx1g", "-Djava.class.path=C:\\p;"}), build());
}

TEST_F(VmOptions, ConfiguredPathEntries) {
  config.set(121, "A1${LANTERNIX_TEMPDIR}\\x.jar;;D0missing;E0UNSET;E1EMPTY;E1QUOTED;S0ext;S1C:\\empty");
  environment = {{"EMPTY", ""}, {"QUOTED", "\"C:\\q1;C:\\q2;\""}};
  files.existing = {"C:\\Temp\\e4j1.tmp\\x.jar"};
  files.directories = {{"C:\\SETUP~1\\ext", {"b.zip", "c.txt", "a.jar"}}, {"C:\\empty", {}}};
  EXPECT_EQ("-Djava.class.path=C:\\Temp\\e4j1.tmp\\x.jar;C:\\q1;C:\\q2;"
            "C:\\SETUP~1\\ext\\a.jar;C:\\SETUP~1\\ext\\b.zip;",
            build().back());
  EXPECT_TRUE(log.contains(L"entries 7"));

  const FatalError expected[] = {{1006, "missing.jar"}, {1006, "nodir"}, {1008, "UNSET"}};
  const char* const mandatoryEntries[] = {"A1missing.jar", "S1nodir", "E1UNSET"};
  for (size_t i = 0; i < std::size(expected); ++i) {
    config.set(121, mandatoryEntries[i]);
    try {
      build();
      ADD_FAILURE() << mandatoryEntries[i] << " should have failed";
    } catch (const FatalError& error) {
      EXPECT_EQ(expected[i].messageId, error.messageId) << mandatoryEntries[i];
      EXPECT_EQ(expected[i].argument, error.argument) << mandatoryEntries[i];
    }
  }
}

TEST_F(VmOptions, ModulePathAndModuleMode) {
  config.set(133, "1");
  config.set(122, "com.app/com.app.main.Main");
  inputs.launcherFamily = 'i';
  files.directories = {{inputs.tempDir, {"a.jar"}}, {inputs.tempDir + "\\user", {"u.jar"}}};
  EXPECT_EQ((VmOptionList{"-Djava.class.path=C:\\Temp\\e4j1.tmp\\user\\u.jar;",
                          "--module-path=C:\\Temp\\e4j1.tmp\\a.jar;",
                          "--add-opens=com.app/com.app.main=com.lanternix.runtime",
                          "--add-modules=com.app,com.lanternix.runtime"}),
            build());

  // Without module mode, a configured module path still takes the TempDir's archives.
  config.set(133, "0");
  config.set(132, "S0mods");
  files.directories["C:\\SETUP~1\\mods"] = {};
  inputs.launcherFamily = 'e';
  EXPECT_EQ((VmOptionList{"-Djava.class.path=C:\\Temp\\e4j1.tmp\\user\\u.jar;",
                          "--module-path=C:\\SETUP~1\\mods;C:\\Temp\\e4j1.tmp\\a.jar;",
                          "--add-modules=com.morva.runtime"}),
            build());

  // A main class without a package opens nothing.
  config.set(133, "1");
  config.set(122, "com.app/Main");
  EXPECT_EQ("--add-modules=com.app,com.morva.runtime", build().back());
  EXPECT_EQ("--module-path=C:\\SETUP~1\\mods;C:\\Temp\\e4j1.tmp\\a.jar;", build().end()[-2]);
}

} // namespace
} // namespace lnx
