#include "runtime/java_exe_check.h"

#include <gtest/gtest.h>

#include "fake_java_exe_system.h"
#include "memory_registry.h"
#include "payload/catalogue.h"
#include "runtime/registered_runtimes.h"
#include "test_config.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

const RegistryKeyName kCacheKey{RegistryRoot::CurrentUser,
                                "Software\\qorvane-systems\\morva\\jvms\\c:/jre/bin/java.exe"};

TEST(JavaExeForHome, PrefersTheEmbeddedJreOfAJdk) {
  test::ConfigScope config;
  test::FakeJavaExeSystem system;
  std::string javaExe;
  system.addJavaExe("c:\\jdk\\jre\\bin\\java.exe", "1.8.0_201");
  system.addJavaExe("c:\\jdk\\bin\\java.exe", "1.8.0_201");
  EXPECT_TRUE(javaExeForHome(system, javaExe, "c:\\jdk"));
  EXPECT_EQ("c:\\jdk\\jre\\bin\\java.exe", javaExe);
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.8.0_201");
  EXPECT_TRUE(javaExeForHome(system, javaExe, "c:\\jre"));
  EXPECT_EQ("c:\\jre\\bin\\java.exe", javaExe);
  EXPECT_TRUE(javaExeForHome(system, javaExe, "c:\\empty")) << "the caller's check finds out";
  EXPECT_EQ("c:\\empty\\bin\\java.exe", javaExe);
}

TEST(JavaExeForHome, JdkRequiredDemandsToolsJar) {
  test::ConfigScope config({{config::requireJdk, "1"}});
  test::FakeJavaExeSystem system;
  std::string javaExe;
  system.addJavaExe("c:\\jdk\\bin\\java.exe", "11.0.2");
  EXPECT_FALSE(javaExeForHome(system, javaExe, "c:\\jdk"));
  system.addFile("c:\\jdk\\lib\\tools.jar");
  EXPECT_TRUE(javaExeForHome(system, javaExe, "c:\\jdk"));
  EXPECT_EQ("c:\\jdk\\jre\\bin\\java.exe", javaExe) << "named even though it is missing";
}

TEST(JavaExeForHome, JdkRequiredAcceptsAModularJdkByItsLayout) {
  test::ConfigScope config({{config::requireJdk, "1"}});
  test::FakeJavaExeSystem system;
  std::string javaExe;
  system.addJavaExe("c:\\jdk17\\bin\\java.exe", "17.0.1");
  system.addFile("c:\\jdk17\\bin\\javac.exe");
  EXPECT_TRUE(javaExeForHome(system, javaExe, "c:\\jdk17"));
  EXPECT_EQ("c:\\jdk17\\bin\\java.exe", javaExe);
  system.addJavaExe("c:\\jdk8\\jre\\bin\\java.exe", "1.8.0_201");
  system.addFile("c:\\jdk8\\bin\\javac.exe");
  EXPECT_FALSE(javaExeForHome(system, javaExe, "c:\\jdk8")) << "a home with a jre folder needs tools.jar";
}

class CheckJavaExe : public ::testing::Test {
protected:
  bool check(std::string javaExe, const VersionBounds& bounds = {}, bool allowBeta = false, bool useCache = true) {
    checkedPath = javaExe;
    version = "stale";
    return checkJavaExe(system, registry, checkedPath, version, bounds, allowBeta, useCache);
  }
  std::string cachedVersion() {
    const std::string* stored = registry.value(kCacheKey, "Version");
    return stored ? *stored : "(none)";
  }

  test::ConfigScope config;
  test::FakeJavaExeSystem system;
  test::MemoryRegistry registry;
  test::LogCapture log;
  std::string checkedPath, version;
};

TEST_F(CheckJavaExe, ProbesAnUnknownJavaExeAndCachesItsVersion) {
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.8.0_201", 0x0102030405060708ull);
  EXPECT_TRUE(check("C:\\JRE\\bin\\java.exe", parseVersionBounds("1.8", ""), true));
  EXPECT_EQ("c:\\jre\\bin\\java.exe", checkedPath) << "the caller gets the lower-case full path";
  EXPECT_EQ("1.8.0_201", version);
  EXPECT_EQ((std::vector<std::wstring>{L"checkJavaExe (C:\\JRE\\bin\\java.exe, [out], 2, 0, 1)", L"file exists",
                                       L"got version from execution 1.8.0_201", L"checkJavaExe returning 1"}),
            log.captured());
  EXPECT_EQ("1.8.0_201", cachedVersion()) << "stored without a terminating zero";
  const std::string* time = registry.value(kCacheKey, "LastWriteTime");
  ASSERT_NE(nullptr, time);
  EXPECT_EQ(std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8), *time) << "FILETIME bytes, low part first";
}

TEST_F(CheckJavaExe, MissingFileFailsWithoutProbe) {
  EXPECT_FALSE(check("c:\\nothing\\bin\\java.exe"));
  EXPECT_TRUE(system.probed.empty());
  EXPECT_EQ((std::vector<std::wstring>{L"checkJavaExe (c:\\nothing\\bin\\java.exe, [out], 0, 0, 0)",
                                       L"file doesn't exist", L"checkJavaExe returning 0"}),
            log.captured());
}

TEST_F(CheckJavaExe, FailedProbeAndRejectedVersion) {
  system.addJavaExe("c:\\broken\\bin\\java.exe", "");
  EXPECT_FALSE(check("c:\\broken\\bin\\java.exe"));
  EXPECT_TRUE(log.contains(L"couldn't get version"));
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.6.0_45");
  EXPECT_FALSE(check("c:\\jre\\bin\\java.exe", parseVersionBounds("1.7", "")));
  EXPECT_EQ("1.6.0_45", version) << "the version found is handed out with the verdict";
  EXPECT_EQ("1.6.0_45", cachedVersion()) << "a rejected version is cached all the same";
}

TEST_F(CheckJavaExe, CacheHitAvoidsTheProbe) {
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.8.0_201", 77);
  storeCachedVersion(registry, "c:\\jre\\bin\\java.exe", 77, "1.8.0_191");
  EXPECT_TRUE(check("c:\\jre\\bin\\java.exe"));
  EXPECT_EQ("1.8.0_191", version);
  EXPECT_TRUE(system.probed.empty());
  EXPECT_TRUE(log.contains(L"got version from registry 1.8.0_191"));
  EXPECT_FALSE(check("c:\\jre\\bin\\java.exe", parseVersionBounds("1.8.0_200", "")))
      << "a cached version is judged like a probed one";
}

TEST_F(CheckJavaExe, UnusableCacheEntriesAreProbedAgainAndOverwritten) {
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.8.0_201", 77);
  for (auto [time, cached] :
       {std::pair<uint64_t, const char*>{76, "1.8.0_191"}, {77, "1.0.0"}, {77, "1.7."}, {77, "11.0.2\" 2019-01-1"}}) {
    storeCachedVersion(registry, "c:\\jre\\bin\\java.exe", time, cached);
    system.probed.clear();
    EXPECT_TRUE(check("c:\\jre\\bin\\java.exe")) << cached;
    EXPECT_EQ("1.8.0_201", version) << cached;
    EXPECT_EQ(1u, system.probed.size()) << cached;
    EXPECT_EQ("1.8.0_201", cachedVersion()) << cached;
  }
}

TEST_F(CheckJavaExe, WithoutCacheTheProbeRunsAndStillRefreshesTheCache) {
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.8.0_201", 77);
  storeCachedVersion(registry, "c:\\jre\\bin\\java.exe", 77, "1.8.0_191");
  EXPECT_TRUE(check("c:\\jre\\bin\\java.exe", {}, true, false));
  EXPECT_EQ("1.8.0_201", version);
  EXPECT_EQ("1.8.0_201", cachedVersion());
}

TEST_F(CheckJavaExe, GuiLauncherSwapsToJavawWhichMustExist) {
  config.set(config::launcherType, "1");
  system.addJavaExe("c:\\jre\\bin\\java.exe", "1.8.0_201");
  EXPECT_FALSE(check("c:\\jre\\bin\\java.exe"));
  EXPECT_EQ("c:\\jre\\bin\\javaw.exe", checkedPath);
  system.addFile("c:\\jre\\bin\\javaw.exe");
  EXPECT_TRUE(check("c:\\jre\\bin\\java.exe"));
  EXPECT_EQ("c:\\jre\\bin\\javaw.exe", checkedPath);
  EXPECT_FALSE(check("c:\\jre\\bin\\java.exe", parseVersionBounds("9", "")));
  EXPECT_EQ("c:\\jre\\bin\\java.exe", checkedPath) << "a rejected runtime keeps its java.exe";
}

} // namespace
} // namespace lnx
