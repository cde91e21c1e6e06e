#include "runtime/registered_runtimes.h"

#include <gtest/gtest.h>

#include "fake_java_exe_system.h"
#include "memory_registry.h"
#include "payload/catalogue.h"
#include "test_config.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

const std::string kLocated = "SOFTWARE\\qorvane-systems\\morva\\locatedjvms\\";
const std::string kInstallations = "SOFTWARE\\qorvane-systems\\lanternix\\installations";

RegistryKeyName machine(const std::string& path) { return {RegistryRoot::LocalMachine, path}; }
RegistryKeyName user(const std::string& path) { return {RegistryRoot::CurrentUser, path}; }

class RegisteredRuntimes : public ::testing::Test {
protected:
  // A runtime home registered under a JavaSoft version key, with its java.exe.
  void addJavaSoft(const std::string& key, const std::string& name, const std::string& home,
                   const std::string& version) {
    registry.put(machine("SOFTWARE\\JavaSoft\\" + key + "\\" + name), "JavaHome", home + '\0');
    system.addJavaExe(home + "\\bin\\java.exe", version);
  }
  void setCurrentVersion(const std::string& key, const std::string& version) {
    registry.put(machine("SOFTWARE\\JavaSoft\\" + key), "CurrentVersion", version + '\0');
  }
  void addLocated(RegistryRoot root, const std::string& javaExe, const std::string& version) {
    registry.putKey({root, kLocated + encodeRuntimePath(javaExe)});
    if (!version.empty()) system.addJavaExe(javaExe, version);
  }

  bool search(const VersionBounds& bounds = {}) {
    return checkRegistry(registry, system, javaExe, version, bounds);
  }
  bool javaSoft(const VersionBounds& bounds = {}) {
    return findJavaSoftRuntime(registry, system, javaExe, version, bounds);
  }
  bool located(bool acceptAll = true, const VersionBounds& bounds = {}) {
    return findLocatedRuntime(registry, system, javaExe, version, bounds, acceptAll);
  }

  test::ConfigScope config;
  test::FakeJavaExeSystem system;
  test::MemoryRegistry registry;
  std::string javaExe, version;
};

TEST_F(RegisteredRuntimes, CurrentVersionTieGoesToTheJreKey) {
  setCurrentVersion("JDK", "1.8");
  setCurrentVersion("JRE", "1.8");
  addJavaSoft("JDK", "1.8", "c:\\jdk8", "1.8.0_201");
  addJavaSoft("JRE", "1.8", "c:\\jre8", "1.8.0_201");
  ASSERT_TRUE(javaSoft());
  EXPECT_EQ("c:\\jre8\\bin\\java.exe", javaExe);
  setCurrentVersion("JDK", "1.8.0");
  addJavaSoft("JDK", "1.8.0", "c:\\jdk80", "1.8.0_201");
  ASSERT_TRUE(javaSoft());
  EXPECT_EQ("c:\\jdk80\\bin\\java.exe", javaExe) << "a strictly greater JDK version wins";
}

TEST_F(RegisteredRuntimes, CurrentVersionOutOfRangeFallsBackToTheSubkeys) {
  setCurrentVersion("JRE", "1.6");
  addJavaSoft("JRE", "1.6", "c:\\jre6", "1.6.0_45");
  addJavaSoft("JRE", "1.8.0_201", "c:\\jre8", "1.8.0_201");
  ASSERT_TRUE(javaSoft(parseVersionBounds("1.7", "")));
  EXPECT_EQ("c:\\jre8\\bin\\java.exe", javaExe);
  EXPECT_EQ("1.8.0_201", version);
}

TEST_F(RegisteredRuntimes, SubkeysAreTriedGreatestVersionFirst) {
  for (const char* name : {"1.8.0_31", "9.0.4", "1.6.0_45", "1.8.0_201", "17.0.1", "1.7.0_80", "1.8.0_45"})
    addJavaSoft("JRE", name, std::string("c:\\jre") + name, ""); // every probe fails
  EXPECT_FALSE(javaSoft(parseVersionBounds("1.7", "")));
  EXPECT_EQ((std::vector<std::string>{"c:\\jre17.0.1\\bin\\java.exe", "c:\\jre9.0.4\\bin\\java.exe",
                                      "c:\\jre1.8.0_201\\bin\\java.exe", "c:\\jre1.8.0_45\\bin\\java.exe",
                                      "c:\\jre1.8.0_31\\bin\\java.exe", "c:\\jre1.7.0_80\\bin\\java.exe"}),
            system.probed)
      << "1.6.0_45 is out of range";
  system.addJavaExe("c:\\jre1.8.0_45\\bin\\java.exe", "1.8.0_45");
  system.addJavaExe("c:\\jre1.8.0_201\\bin\\java.exe", "1.8.0_201");
  ASSERT_TRUE(javaSoft(parseVersionBounds("1.7", "1.8")));
  EXPECT_EQ("c:\\jre1.8.0_201\\bin\\java.exe", javaExe);
}

TEST_F(RegisteredRuntimes, SubkeysOfEqualVersionAreTriedGreatestByteStringFirst) {
  for (const char* name : {"1.8.0-201", "1.8.0_201", "1.8.0.201"})
    addJavaSoft("JRE", name, std::string("c:\\jre") + name, "");
  EXPECT_FALSE(javaSoft());
  EXPECT_EQ((std::vector<std::string>{"c:\\jre1.8.0_201\\bin\\java.exe", "c:\\jre1.8.0.201\\bin\\java.exe",
                                      "c:\\jre1.8.0-201\\bin\\java.exe"}),
            system.probed);
}

TEST_F(RegisteredRuntimes, OlderLayoutIsConsultedWhenTheNewerHasNothing) {
  addJavaSoft("JRE", "1.6.0_45", "c:\\jre6", "1.6.0_45");
  setCurrentVersion("Java Runtime Environment", "1.8");
  addJavaSoft("Java Runtime Environment", "1.8", "c:\\oldjre8", "1.8.0_201");
  ASSERT_TRUE(javaSoft(parseVersionBounds("1.7", "")));
  EXPECT_EQ("c:\\oldjre8\\bin\\java.exe", javaExe);
}

TEST_F(RegisteredRuntimes, BetaRuntimesOfJavaSoftKeysAreRejected) {
  addJavaSoft("JRE", "1.8.0_202", "c:\\jre8", "1.8.0_202-ea");
  EXPECT_FALSE(javaSoft());
}

TEST_F(RegisteredRuntimes, JdkRequiredSkipsJreKeysAndDemandsToolsJar) {
  config.set(config::requireJdk, "1");
  setCurrentVersion("JRE", "1.8");
  addJavaSoft("JRE", "1.8", "c:\\jre8", "1.8.0_201");
  setCurrentVersion("JDK", "1.7");
  registry.put(machine("SOFTWARE\\JavaSoft\\JDK\\1.7"), "JavaHome", std::string("c:\\jdk7") + '\0');
  system.addJavaExe("c:\\jdk7\\jre\\bin\\java.exe", "1.7.0_80");
  EXPECT_FALSE(javaSoft());
  EXPECT_TRUE(system.probed.empty()) << "neither the JRE runtime nor a JDK without tools.jar is run";
  system.addFile("c:\\jdk7\\lib\\tools.jar");
  ASSERT_TRUE(javaSoft());
  EXPECT_EQ("c:\\jdk7\\jre\\bin\\java.exe", javaExe);
}

TEST_F(RegisteredRuntimes, LocatedRuntimeWinsTiesAgainstJavaSoft) {
  addJavaSoft("JRE", "1.8.0_201", "c:\\jre8", "1.8.0_201");
  addLocated(RegistryRoot::CurrentUser, "c:\\picked\\bin\\java.exe", "1.8.0_201");
  test::LogCapture log;
  ASSERT_TRUE(search());
  EXPECT_EQ("c:\\picked\\bin\\java.exe", javaExe);
  EXPECT_TRUE(log.contains(L"found sun c:\\jre8\\bin\\java.exe 1.8.0_201"));
  EXPECT_TRUE(log.contains(L"found located c:\\picked\\bin\\java.exe 1.8.0_201"));
  addJavaSoft("JRE", "1.8.0_211", "c:\\jre8u211", "1.8.0_211");
  ASSERT_TRUE(search());
  EXPECT_EQ("c:\\jre8u211\\bin\\java.exe", javaExe) << "a strictly greater JavaSoft version wins";
  EXPECT_EQ("1.8.0_211", version);
}

TEST_F(RegisteredRuntimes, SkippingJavaSoftKeysLimitsLocatedRuntimesToOwnOnes) {
  config.set(config::skipJavaSoftKeys, "1");
  addJavaSoft("JRE", "11.0.2", "c:\\jre11", "11.0.2");
  addLocated(RegistryRoot::LocalMachine, "c:\\picked\\bin\\java.exe", "11.0.2");
  EXPECT_FALSE(search());
  EXPECT_TRUE(system.probed.empty());
  addLocated(RegistryRoot::LocalMachine, "c:\\app\\lnx_jres\\8\\bin\\java.exe", "1.8.0_201");
  ASSERT_TRUE(search());
  EXPECT_EQ("c:\\app\\lnx_jres\\8\\bin\\java.exe", javaExe);
}

TEST_F(RegisteredRuntimes, LocatedRuntimeOfTheMachineWinsTies) {
  addLocated(RegistryRoot::CurrentUser, "c:\\user\\bin\\java.exe", "1.8.0_201");
  addLocated(RegistryRoot::LocalMachine, "c:\\machine\\bin\\java.exe", "1.8.0_201");
  ASSERT_TRUE(located());
  EXPECT_EQ("c:\\machine\\bin\\java.exe", javaExe);
  addLocated(RegistryRoot::CurrentUser, "c:\\user11\\bin\\java.exe", "11.0.2");
  ASSERT_TRUE(located());
  EXPECT_EQ("c:\\user11\\bin\\java.exe", javaExe);
}

TEST_F(RegisteredRuntimes, BestLocatedRuntimeOfOneRoot) {
  addLocated(RegistryRoot::CurrentUser, "c:\\gone\\bin\\java.exe", ""); // no longer there
  addLocated(RegistryRoot::CurrentUser, "c:\\first\\bin\\java.exe", "1.8.0_201");
  addLocated(RegistryRoot::CurrentUser, "c:\\second\\bin\\java.exe", "1.8.0_201");
  addLocated(RegistryRoot::CurrentUser, "c:\\beta\\bin\\java.exe", "1.8.0_202-ea");
  addLocated(RegistryRoot::CurrentUser, "c:\\new\\bin\\java.exe", "11.0.2");
  version = "old";
  ASSERT_TRUE(findLocatedRuntimes(registry, system, RegistryRoot::CurrentUser, javaExe, version,
                                  parseVersionBounds("", "1.8"), true));
  EXPECT_EQ("c:\\beta\\bin\\java.exe", javaExe) << "beta versions are allowed for located runtimes";
  ASSERT_TRUE(findLocatedRuntimes(registry, system, RegistryRoot::CurrentUser, javaExe, version,
                                  parseVersionBounds("", "1.8.0_201"), true));
  EXPECT_EQ("c:\\first\\bin\\java.exe", javaExe) << "among equal versions the first enumerated stays";
  EXPECT_EQ(kRegistryOk, registry.openKey(user(kLocated + "c:/gone/bin/java.exe"))) << "a stale key is kept";
  EXPECT_FALSE(findLocatedRuntimes(registry, system, RegistryRoot::LocalMachine, javaExe, version, {}, true));
  EXPECT_EQ("", version);
}

TEST_F(RegisteredRuntimes, RememberedRuntimeGoesToTheMachineOrElseTheUser) {
  rememberLocatedRuntime(registry, "c:\\picked\\bin\\java.exe");
  EXPECT_EQ(kRegistryOk, registry.openKey(machine(kLocated + "c:/picked/bin/java.exe")));
  registry.machineReadOnly = true;
  rememberLocatedRuntime(registry, "c:\\other\\bin\\java.exe");
  EXPECT_EQ(kRegistryNotFound, registry.openKey(machine(kLocated + "c:/other/bin/java.exe")));
  EXPECT_EQ(kRegistryOk, registry.openKey(user(kLocated + "c:/other/bin/java.exe")));
  system.addJavaExe("c:\\other\\bin\\java.exe", "1.8.0_201");
  ASSERT_TRUE(located());
  EXPECT_EQ("c:\\other\\bin\\java.exe", javaExe) << "the key decodes back to the path";
}

TEST_F(RegisteredRuntimes, VersionCacheEntryMustMatchTimeAndFit) {
  const std::string exe = "c:\\jre\\bin\\java.exe";
  const RegistryKeyName key = user("SOFTWARE\\qorvane-systems\\morva\\jvms\\c:/jre/bin/java.exe");
  EXPECT_FALSE(readCachedVersion(registry, exe, 5, version));
  storeCachedVersion(registry, exe, 5, "1.8.0_201");
  EXPECT_FALSE(readCachedVersion(registry, exe, 6, version));
  ASSERT_TRUE(readCachedVersion(registry, exe, 5, version));
  EXPECT_EQ("1.8.0_201", version);
  registry.put(key, "Version", std::string("11.0.2\0", 7));
  ASSERT_TRUE(readCachedVersion(registry, exe, 5, version)) << "a value with its terminator reads alike";
  EXPECT_EQ("11.0.2", version);
  registry.put(key, "Version", "");
  ASSERT_TRUE(readCachedVersion(registry, exe, 5, version));
  EXPECT_EQ("", version);
  for (const char* truncated : {"1.7.", "1.6.", "1.5."}) {
    registry.put(key, "Version", truncated);
    EXPECT_FALSE(readCachedVersion(registry, exe, 5, version)) << truncated;
  }
  registry.put(key, "Version", std::string(kVersionBufferBytes - 1, '1'));
  EXPECT_TRUE(readCachedVersion(registry, exe, 5, version));
  registry.put(key, "Version", std::string(kVersionBufferBytes, '1'));
  EXPECT_FALSE(readCachedVersion(registry, exe, 5, version)) << "too long for the caller's buffer";
  registry.put(key, "Version", "1.8.0_201");
  registry.put(key, "LastWriteTime", std::string("\x05\0\0\0\0\0\0", 7));
  EXPECT_FALSE(readCachedVersion(registry, exe, 5, version)) << "the time must be 8 bytes";
}

class PreviousInstallations : public RegisteredRuntimes {
protected:
  bool check(RegistryRoot root, const VersionBounds& bounds = {}) {
    return checkPreviousInstallations(registry, system, root, javaExe, version, bounds);
  }
  test::LogCapture log;
};

TEST_F(PreviousInstallations, WithoutAppIdBothViewsAreTried) {
  EXPECT_FALSE(check(RegistryRoot::CurrentUser));
  EXPECT_EQ((std::vector<std::wstring>{L"checking app id  (0, 80000001)", L"checking app id  (512, 80000001)"}),
            log.captured());
}

TEST_F(PreviousInstallations, MissingKeyOrValueIsLoggedWithItsErrorCode) {
  config.set(config::applicationId, "app-1");
  EXPECT_FALSE(check(RegistryRoot::LocalMachine));
  EXPECT_TRUE(log.contains(L"checking app id app-1 (0, 80000002)"));
  EXPECT_TRUE(log.contains(L"could not open installation node 2"));
  registry.put(machine(kInstallations), "other-app", "c:\\x");
  EXPECT_FALSE(check(RegistryRoot::LocalMachine));
  EXPECT_TRUE(log.contains(L"could not query value node 2"));
  registry.put(machine(kInstallations), "app-1", "");
  EXPECT_FALSE(check(RegistryRoot::LocalMachine));
  EXPECT_TRUE(log.contains(L"could not query value node 0"));
}

TEST_F(PreviousInstallations, FirstMatchingJreOfTheListWins) {
  config.set(config::applicationId, "app-1");
  registry.put(user(kInstallations), "APP-1", "c:\\gone;;c:\\old;c:\\app;c:\\later");
  system.addJavaExe("c:\\old\\jre\\bin\\java.exe", "1.6.0_45");
  system.addJavaExe("c:\\app\\jre\\bin\\java.exe", "1.8.0_201");
  system.addJavaExe("c:\\later\\jre\\bin\\java.exe", "11.0.2");
  ASSERT_TRUE(check(RegistryRoot::CurrentUser, parseVersionBounds("1.7", "")));
  EXPECT_EQ("c:\\app\\jre\\bin\\java.exe", javaExe);
  EXPECT_EQ("1.8.0_201", version);
  EXPECT_TRUE(log.contains(L"found installations: c:\\gone;;c:\\old;c:\\app;c:\\later"));
  EXPECT_TRUE(log.contains(L"java version did not match in c:\\gone\\jre"));
  EXPECT_TRUE(log.contains(L"java version did not match in c:\\old\\jre"));
  EXPECT_EQ(1, std::count(system.probed.begin(), system.probed.end(), "c:\\app\\jre\\bin\\java.exe"));
  EXPECT_EQ(0, std::count(system.probed.begin(), system.probed.end(), "c:\\later\\jre\\bin\\java.exe"));
}

TEST_F(PreviousInstallations, JdkRequiredWithoutToolsJarFindsNoJava) {
  config.set(config::applicationId, "app-1");
  config.set(config::requireJdk, "1");
  registry.put(machine(kInstallations), "app-1", "c:\\app");
  system.addJavaExe("c:\\app\\jre\\bin\\java.exe", "1.8.0_201");
  EXPECT_FALSE(check(RegistryRoot::LocalMachine));
  EXPECT_TRUE(log.contains(L"did not find java in c:\\app\\jre"));
}

TEST_F(PreviousInstallations, ThirtyTwoBitViewIsTheFallback) {
  config.set(config::applicationId, "app-1");
  registry.put({RegistryRoot::LocalMachine, kInstallations, kRegistry32BitView}, "app-1", "c:\\app32");
  system.addJavaExe("c:\\app32\\jre\\bin\\java.exe", "1.8.0_201");
  ASSERT_TRUE(check(RegistryRoot::LocalMachine));
  EXPECT_EQ("c:\\app32\\jre\\bin\\java.exe", javaExe);
  EXPECT_TRUE(log.contains(L"could not open installation node 2"));
  EXPECT_TRUE(log.contains(L"checking app id app-1 (512, 80000002)"));
}

} // namespace
} // namespace lnx
