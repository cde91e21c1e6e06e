// The launcher's calls into a created VM, against the machine's own VM.
#include <gtest/gtest.h>
#include <jni.h>

#include <set>
#include <string>
#include <vector>

#include "jvm/java_vm_calls.h"
#include "natives/binding_table.h"
#include "natives/native_registration.h"
#include "real_vm.h"
#include "test_log_capture.h"

namespace lnx {

JNIEnv* test::realVm = nullptr;

namespace {

JNIEnv*& env = test::realVm;

void neverCalled() {}

struct Lookup {
  std::string missing; // export name to report as absent
  int found = 0;
};

void* lookupStandIn(void* context, const std::string& exportName) {
  auto* lookup = static_cast<Lookup*>(context);
  if (exportName == lookup->missing) return nullptr;
  ++lookup->found;
  return reinterpret_cast<void*>(&neverCalled);
}

std::vector<std::wstring> reports;
void recordReport(const wchar_t* format, int argument) {
  std::wstring text = format;
  size_t at = text.find(L"%d");
  if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(argument));
  reports.push_back(text);
}

std::wstring staticString(const char* className, const char* field) {
  jclass found = env->FindClass(className);
  jfieldID id = env->GetStaticFieldID(found, field, "Ljava/lang/String;");
  return javaStringText(env, static_cast<jstring>(env->GetStaticObjectField(found, id)));
}

std::wstring systemProperty(const char* key) {
  jclass system = env->FindClass("java/lang/System");
  jmethodID get = env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;");
  auto value = static_cast<jstring>(env->CallStaticObjectMethod(system, get, env->NewStringUTF(key)));
  EXPECT_FALSE(env->ExceptionCheck());
  return javaStringText(env, value);
}

TEST(RegisterNatives, EveryClassAndDescriptorIsAcceptedByARealVm) {
  Lookup lookup;
  reports.clear();
  EXPECT_TRUE(registerNativeTable(env, lookupStandIn, &lookup, recordReport)) << (reports.empty() ? L"" : reports[0]).c_str();
  EXPECT_EQ(79, lookup.found);
  EXPECT_TRUE(reports.empty());
}

TEST(RegisterNatives, MissingExportStopsAtItsClass) {
  Lookup lookup;
  lookup.missing = nativeExportName("com/lanternix/runtime/installer/platform/win32/Misc", "getEnvVarPairs0", 8);
  reports.clear();
  EXPECT_FALSE(registerNativeTable(env, lookupStandIn, &lookup, recordReport));
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ(L"did not find Java_com_lanternix_runtime_installer_platform_win32_Misc_getEnvVarPairs0", reports[0]);
  EXPECT_EQ(1 + 1 + 7 + 2, lookup.found) << "ACLHandling, FileVersion, FolderInfo, then Misc up to the gap";
}

TEST(JavaVmCalls, WinDelFieldAndModuleNameProperty) {
  setExternalExecutable(env, L"C:\\setup\\s\u00e9tup.exe");
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_EQ(L"C:\\setup\\s\u00e9tup.exe", staticString("com/morva/runtime/util/WinDel", "externalExecutable"));
  setModuleNameProperty(env, L"C:\\Program Files\\setup.exe");
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_EQ(L"C:\\Program Files\\setup.exe", systemProperty("morva.moduleName"));
  // The natives bound here are stand-ins that must never run: main has to see them unbound.
  EXPECT_TRUE(initFromLauncher(env, JNI_FALSE));
  EXPECT_FALSE(env->ExceptionCheck());
}

TEST(JavaVmCalls, MainOfBothFamiliesRunsAndMissingClassIsReported) {
  std::vector<std::wstring> parameters = {L"false", L"com.lanternix.runtime.installer.Installer", L"", L"", L"false",
                                          L"C:\\setup.exe", L"-q"};
  EXPECT_EQ(MainOutcome::Returned, callMain(env, "com.lanternix.runtime.launcher.WinLauncher", parameters));
  EXPECT_EQ(MainOutcome::Returned, callMain(env, "com/morva/runtime/WinLauncher", parameters));
  EXPECT_EQ(MainOutcome::ClassMissing, callMain(env, "com/example/Missing", parameters));
  env->ExceptionClear(); // FindClass of a missing class leaves its error pending
}

TEST(JavaVmCalls, PendingExceptionIsLoggedWithItsTextAndCleared) {
  test::LogCapture log;
  env->ThrowNew(env->FindClass("java/lang/IllegalStateException"), "boom");
  EXPECT_FALSE(checkJavaException(env, false));
  EXPECT_TRUE(log.contains(L"ERROR: an exception occurred"));
  EXPECT_TRUE(log.contains(L"ERROR: java.lang.IllegalStateException: boom"));
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_TRUE(checkJavaException(env, false));
}

} // namespace
} // namespace lnx

// Each test in a local frame of its own: the main thread's frame would outgrow its
// capacity over the whole program.
class LocalFramePerTest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { lnx::test::realVm->PushLocalFrame(32); }
  void OnTestEnd(const ::testing::TestInfo&) override { lnx::test::realVm->PopLocalFrame(nullptr); }
};

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string classPath = std::string("-Djava.class.path=") + LNX_RUNTIME_JAR;
  // -Xcheck:jni reports every JNI misuse as a warning; ctest fails the run on any.
  JavaVMOption options[3] = {{const_cast<char*>(classPath.c_str()), nullptr},
                             {const_cast<char*>("-Xrs"), nullptr},
                             {const_cast<char*>("-Xcheck:jni"), nullptr}};
  JavaVMInitArgs args{JNI_VERSION_1_8, 3, options, JNI_FALSE};
  JavaVM* vm = nullptr;
  if (JNI_CreateJavaVM(&vm, reinterpret_cast<void**>(&lnx::test::realVm), &args) != JNI_OK) return 2;
  ::testing::UnitTest::GetInstance()->listeners().Append(new LocalFramePerTest);
  return RUN_ALL_TESTS(); // the VM is left to the process's end, like the launcher's
}
