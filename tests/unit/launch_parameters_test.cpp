#include "jvm/launch_parameters.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

TEST(LauncherSystemProperties, OrderAndConditions) {
  SystemPropertyInputs inputs;
  inputs.semaphoreName = "Local\\lnx_sem";
  inputs.manualRuntime = true;
  inputs.installerFamily = true;
  inputs.moduleName = "C:\\SETUP~1.EXE";
  inputs.tempDir = "C:\\t\\mrv1.tmp_dir5";
  inputs.unextractedPosition = 375691;
  inputs.path = "C:\\t\\user;C:\\windows";
  inputs.consoleCodePage = 850;
  EXPECT_EQ((std::vector<std::string>{"-Dmorva.semaphoreName=Local\\lnx_sem", "-Dmorva.manualJre=true",
                                      "-Dmorva.isLanternix=true", "-Dmorva.moduleName=C:\\SETUP~1.EXE",
                                      "-Dsun.java.command=C:\\SETUP~1.EXE", "-Dmorva.tempDir=C:\\t\\mrv1.tmp_dir5",
                                      "-Dmorva.unextractedPosition=375691",
                                      "-Djava.library.path=C:\\t\\user;C:\\windows",
                                      "-Dmorva.consoleCodepage=cp850"}),
            launcherSystemProperties(inputs));

  SystemPropertyInputs plain;
  plain.moduleName = "a.exe";
  plain.unextractedPosition = -1;
  plain.path = std::string(20000, 'p');
  std::vector<std::string> options = launcherSystemProperties(plain);
  ASSERT_EQ(5u, options.size()) << "no semaphore, manual, family or code page entries";
  EXPECT_EQ("-Dmorva.unextractedPosition=-1", options[3]);
  EXPECT_EQ(11999u, options[4].size()) << "the library path option stays within its buffer";
}

TEST(MainParameters, FixedValuesProgramConfiguredThenFurtherArguments) {
  MainParameterInputs inputs;
  inputs.guiLauncher = true;
  inputs.moduleMode = true;
  inputs.mainClass = "com.example.Setup";
  inputs.stderrFile = L"C:\\setup\\error.log";
  inputs.defaultArguments = {L"-varfile", L"C:\\a b\\v.txt"};
  inputs.commandLine = {L"C:\\setup\\setup.exe", L"-q", L"-J-Xmx512m", L"-Dsun.locale.formatasdefault=true",
                        L"-Jx", L"custom"};
  inputs.jArgumentsAreVmOptions = true;
  EXPECT_EQ((std::vector<std::wstring>{L"true", L"/com.example.Setup", L"C:\\setup\\error.log", L"", L"false",
                                       L"C:\\setup\\setup.exe", L"-varfile", L"C:\\a b\\v.txt", L"-q", L"custom"}),
            buildMainParameters(inputs));

  inputs.jArgumentsAreVmOptions = false;
  inputs.guiLauncher = false;
  std::vector<std::wstring> kept = buildMainParameters(inputs);
  EXPECT_EQ(L"false", kept[0]);
  EXPECT_EQ((std::vector<std::wstring>{L"-q", L"-J-Xmx512m", L"-Jx", L"custom"}),
            std::vector<std::wstring>(kept.begin() + 8, kept.end()))
      << "-J arguments reach main when they are no VM options; the locale option never does";
}

} // namespace
} // namespace lnx
