// The native library directories put in front of PATH, in both views of the environment.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "jvm/native_library_path.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/jvm_loading.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

std::string win32Path() {
  char value[32767];
  DWORD length = GetEnvironmentVariableA("PATH", value, sizeof value);
  return std::string(value, length < sizeof value ? length : 0);
}

bool logged(const test::LogCapture& log, const std::wstring& start) {
  for (const std::wstring& line : log.captured())
    if (line.rfind(start, 0) == 0) return true;
  return false;
}

std::string runtimePath() {
  const char* value = std::getenv("PATH");
  return value ? value : "";
}

class NativeLibraryPathTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedPath_ = win32Path();
    savedTables_ = installedTables();
    savedTempDir_ = launcherState().extractionDir;
    launcherState().extractionDir = "C:\\lnxtemp\\e4j1.tmp";
  }
  void TearDown() override {
    SetEnvironmentVariableA("PATH", savedPath_.c_str());
    _putenv(("PATH=" + savedPath_).c_str());
    installTables(savedTables_);
    launcherState().extractionDir = savedTempDir_;
  }
  static void configure(const std::string& directories) {
    PayloadTables tables;
    tables.configValues[config::nativeLibraryDirectories] = directories;
    installTables(tables);
  }

  std::string savedPath_;
  PayloadTables savedTables_;
  std::string savedTempDir_;
};

TEST_F(NativeLibraryPathTest, TempDirUserComesFirstInBothViews) {
  configure("${launcher:sys.launcherTempDirectory}\\user");
  test::LogCapture log;
  setNativeLibraryPath();
  const std::string expected = "C:\\lnxtemp\\e4j1.tmp\\user;" + savedPath_;
  EXPECT_EQ(expected, win32Path());
  EXPECT_EQ(expected, runtimePath());
  EXPECT_TRUE(log.contains(L"native lib dir is ${launcher:sys.launcherTempDirectory}\\user"));
  EXPECT_TRUE(log.contains(L"Setting PATH (native libs) " + std::wstring(expected.begin(), expected.end())));
  EXPECT_FALSE(logged(log, L"Adding DLL directory")) << "the directory does not exist before extraction";
}

TEST_F(NativeLibraryPathTest, DirectoriesAreRegisteredOnceTheyExistAndAFailureIsLogged) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string tempDir = std::string(temp) + "lnxnativepath" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(tempDir.c_str(), nullptr);
  CreateDirectoryA((tempDir + "\\user").c_str(), nullptr);
  launcherState().extractionDir = tempDir;
  configure("${launcher:sys.launcherTempDirectory}\\user;${launcher:sys.launcherTempDirectory}\\made;C:\\lnx missing");
  test::LogCapture log;
  setNativeLibraryPath();
  registerNativeLibraryDirectories();
  bool made = RemoveDirectoryA((tempDir + "\\made").c_str());
  RemoveDirectoryA((tempDir + "\\user").c_str());
  RemoveDirectoryA(tempDir.c_str());
  std::wstring wideTempDir(tempDir.begin(), tempDir.end());
  EXPECT_TRUE(log.contains(L"Adding DLL directory " + wideTempDir + L"\\user"));
  EXPECT_TRUE(made) << "a missing directory of the TempDir is created";
  EXPECT_TRUE(log.contains(L"Adding DLL directory " + wideTempDir + L"\\made"));
  EXPECT_TRUE(logged(log, L"ERROR: Adding DLL directory C:\\lnx missing failed with error "));
  EXPECT_FALSE(log.contains(L"Adding DLL directory C:\\lnx missing"));
}

TEST_F(NativeLibraryPathTest, APathLongerThanAnyBufferIsKeptWholeAndRestoredAfterAFailedLoad) {
  std::string longPath;
  while (longPath.size() < 20000) longPath += "C:\\tools\\directory" + std::to_string(longPath.size()) + ";";
  SetEnvironmentVariableA("PATH", longPath.c_str());
  configure("lib");
  setNativeLibraryPath();
  const std::string withLibraries = launcherDirectory() + "lib;" + longPath;
  EXPECT_EQ(withLibraries, win32Path());
  EXPECT_EQ(nullptr, loadJvmForJavaExe("C:\\no runtime\\bin\\java.exe"));
  EXPECT_EQ(withLibraries, win32Path()) << "the failed load restores the PATH it found";

  SetEnvironmentVariableA("PATH", nullptr);
  EXPECT_EQ(nullptr, loadJvmForJavaExe("C:\\no runtime\\bin\\java.exe"));
  EXPECT_EQ(0u, GetEnvironmentVariableA("PATH", nullptr, 0)) << "a PATH that was not set is not set afterwards";
}

TEST_F(NativeLibraryPathTest, EmptyValueKeepsPathContent) {
  configure("");
  setNativeLibraryPath();
  EXPECT_EQ(savedPath_, win32Path());
  EXPECT_EQ(savedPath_, runtimePath());
}

TEST_F(NativeLibraryPathTest, RelativePieceJoinsLauncherDirectoryAbsoluteIsCollapsed) {
  configure("lib;c:\\abs\\\\dir");
  setNativeLibraryPath();
  EXPECT_EQ(launcherDirectory() + "lib;c:\\abs\\dir;" + savedPath_, win32Path());
}

TEST(DllDirectory, ExistingDirectoryIsRegisteredAndRemoved) {
  test::LogCapture log;
  DllDirectoryCookie cookie = addDllDirectory(launcherDirectory());
  EXPECT_NE(nullptr, cookie);
  removeDllDirectory(cookie);
  EXPECT_TRUE(log.contains(L"Removing DLL directory"));
  EXPECT_EQ(nullptr, addDllDirectory(""));
}

} // namespace
} // namespace lnx
