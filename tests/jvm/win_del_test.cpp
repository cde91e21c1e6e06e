// The Java side's temp-cleanup list (com.morva.runtime.util.WinDel) read back by the
// launcher's list reader and pass logic: both ends of the list agree. Also what the Java
// side lists and hands over, and how the cleanup copy's command line reaches it.
#include <gtest/gtest.h>
#include <jni.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/argument_list.h"
#include "cleanup/windel_list.h"
#include "cleanup/windel_passes.h"
#include "cleanup/windel_paths.h"
#include "jvm/java_vm_calls.h"
#include "real_vm.h"

namespace lnx {
namespace {

namespace fs = std::filesystem;
const char kWinDel[] = "com/morva/runtime/util/WinDel";

JNIEnv* vm() { return test::realVm; }

jstring text(const std::string& utf8) { return vm()->NewStringUTF(utf8.c_str()); }

jobject fileList(const std::vector<std::string>& paths) {
  jclass listClass = vm()->FindClass("java/util/ArrayList");
  jobject list = vm()->NewObject(listClass, vm()->GetMethodID(listClass, "<init>", "()V"));
  jclass fileClass = vm()->FindClass("java/io/File");
  jmethodID newFile = vm()->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;)V");
  jmethodID add = vm()->GetMethodID(listClass, "add", "(Ljava/lang/Object;)Z");
  for (const std::string& path : paths) {
    vm()->CallBooleanMethod(list, add, vm()->NewObject(fileClass, newFile, text(path)));
    EXPECT_FALSE(vm()->ExceptionCheck());
  }
  return list;
}

std::vector<std::wstring> readList(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  WindelLineReader reader;
  reader.add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return reader.finish();
}

// Every path exists and goes at the first attempt; what was asked, in order.
struct Recorder : WindelFileSystem {
  std::vector<std::wstring> steps;
  void waitForSemaphoreRelease(const std::wstring& name) override { steps.push_back(L"wait " + name); }
  Removal deleteFile(const std::wstring& path) override { return record(L"file ", path); }
  Removal removeDirectory(const std::wstring& path) override { return record(L"directory ", path); }
  bool exists(const std::wstring&) override { return true; }
  bool deleteAtRestart(const std::wstring&) override { return false; }
  void pause(unsigned) override {}
  Removal record(const wchar_t* kind, const std::wstring& path) {
    steps.push_back(kind + path);
    return Removal::removed;
  }
};

struct TempFolder {
  fs::path path;
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "lnxwindelXXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() { fs::remove_all(path); }
};

std::wstring wide(const fs::path& path) { return path.wstring(); }

// True when the Java side threw (the exception stays pending).
bool writeList(const fs::path& list, const char* mode, const char* question, const std::vector<std::string>& files,
               const std::vector<std::string>& directories) {
  jclass winDel = vm()->FindClass(kWinDel);
  jmethodID write = vm()->GetStaticMethodID(
      winDel, "writeList",
      "(Ljava/io/File;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/util/List;"
      "Ljava/util/List;)V");
  jclass fileClass = vm()->FindClass("java/io/File");
  jobject listFile = vm()->NewObject(fileClass, vm()->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;)V"),
                                     text(list.string()));
  jobject fileObjects = fileList(files);
  jobject directoryObjects = fileList(directories);
  vm()->CallStaticVoidMethod(winDel, write, listFile, text("Local\\k0"), text(mode), text(question),
                             text("Failed."), fileObjects, directoryObjects);
  return vm()->ExceptionCheck();
}

TEST(WinDelList, TheLauncherReadsSectionsAndMessagesAsTheJavaSideWroteThem) {
  TempFolder folder;
  fs::path list = folder.path / "list.txt";
  ASSERT_FALSE(writeList(list, "reboot_deletion", "Restart?\n\nNow", {"C:\\t\\a.txt", "C:\\t\\d\xc3\xa9j\xc3\xa0.txt"},
                         {"C:\\t"}));
  std::vector<std::wstring> lines = readList(list);
  Recorder recorder;
  WindelOutcome outcome = runDeletionPasses(lines, recorder);
  EXPECT_EQ((std::vector<std::wstring>{L"wait Local\\k0", L"file C:\\t\\a.txt", L"file C:\\t\\d\u00e9j\u00e0.txt",
                                       L"directory C:\\t"}),
            recorder.steps);
  EXPECT_EQ(L"Restart?\n\nNow", outcome.restartQuestion);
  EXPECT_EQ(L"Failed.", outcome.restartFailedText);
  EXPECT_TRUE(outcome.rebootDeletion);

  // Without a mode no message block follows, so the paths stay paths.
  ASSERT_FALSE(writeList(list, "", "ignored", {"C:\\t\\a.txt"}, {}));
  lines = readList(list);
  Recorder noMode;
  runDeletionPasses(lines, noMode);
  EXPECT_EQ((std::vector<std::wstring>{L"wait Local\\k0", L"file C:\\t\\a.txt"}), noMode.steps);

  // A message line the reader would take for the block's end is refused.
  EXPECT_TRUE(writeList(list, "force_reboot", "EOSMARKER inside", {}, {}));
  vm()->ExceptionClear();
}

void setProperty(const char* key, const std::string& value) {
  jclass system = vm()->FindClass("java/lang/System");
  jmethodID set = vm()->GetStaticMethodID(system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
  vm()->CallStaticObjectMethod(system, set, text(key), text(value));
  EXPECT_FALSE(vm()->ExceptionCheck());
}

void clearProperty(const char* key) {
  jclass system = vm()->FindClass("java/lang/System");
  jmethodID clear = vm()->GetStaticMethodID(system, "clearProperty", "(Ljava/lang/String;)Ljava/lang/String;");
  vm()->CallStaticObjectMethod(system, clear, text(key));
  EXPECT_FALSE(vm()->ExceptionCheck());
}

TEST(WinDelList, AfterMainTheTempDirTreeIsListedAndTheCleanupCopyStarted) {
  TempFolder folder;
  fs::path nameFile = folder.path / "mrvAB.tmp";
  fs::path tempDir = folder.path / "mrvAB.tmp_dir1700000000";
  fs::path outside = folder.path / "not the launcher's";
  fs::create_directories(tempDir / "sub" / "deeper");
  fs::create_directories(outside);
  for (const fs::path& file : {nameFile, tempDir / "f1.jar", tempDir / "sub" / "f2.dll", outside / "keep.txt"})
    std::ofstream(file) << "x";
  fs::create_directory_symlink(outside, tempDir / "link");
  // The cleanup copy: records how it was started.
  fs::path copy = folder.path / "cleanup copy.sh";
  std::ofstream(copy) << "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$2\" > \"$(dirname \"$0\")/started.txt\"\n";
  fs::permissions(copy, fs::perms::owner_all);

  setProperty("morva.tempDir", tempDir.string());
  setProperty("morva.semaphoreName", "Local\\c:_setup.exe0");
  setExternalExecutable(vm(), wide(copy));
  ASSERT_FALSE(vm()->ExceptionCheck());
  jclass winDel = vm()->FindClass(kWinDel);
  jobject list = vm()->CallStaticObjectMethod(winDel, vm()->GetStaticMethodID(winDel, "removeTempDirAfterExit", "()Ljava/io/File;"));
  ASSERT_FALSE(vm()->ExceptionCheck());
  clearProperty("morva.tempDir");
  clearProperty("morva.semaphoreName");
  ASSERT_FALSE(vm()->ExceptionCheck());
  ASSERT_NE(nullptr, list);
  jclass fileClass = vm()->FindClass("java/io/File");
  auto path = static_cast<jstring>(
      vm()->CallObjectMethod(list, vm()->GetMethodID(fileClass, "getPath", "()Ljava/lang/String;")));
  ASSERT_FALSE(vm()->ExceptionCheck());
  fs::path listPath = javaStringText(vm(), path);

  EXPECT_EQ((std::vector<std::wstring>{L"Local\\c:_setup.exe0", L"", wide(nameFile), wide(tempDir / "f1.jar"),
                                       wide(tempDir / "sub" / "f2.dll"), L"", wide(tempDir / "link"),
                                       wide(tempDir / "sub" / "deeper"), wide(tempDir / "sub"), wide(tempDir)}),
            readList(listPath))
      << "children before parents; the link itself, not what it points to";

  fs::path started = folder.path / "started.txt";
  std::error_code missing;
  for (int wait = 0; wait < 100 && fs::file_size(started, missing) + 1 <= 1; ++wait) // absent or still empty
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(started);
  std::string arguments((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ("__lnx_windel|" + listPath.string(), arguments);
  fs::remove(listPath);
}

jclass winDelClass() { return vm()->FindClass(kWinDel); }

// Whether the JNI call just made threw; the exception is printed and cleared.
bool threw() {
  bool thrown = vm()->ExceptionCheck();
  if (thrown) vm()->ExceptionDescribe();
  return thrown;
}

// The result of the JNI call just made, which must not have thrown.
template <class Result> Result noThrow(Result result) {
  EXPECT_FALSE(threw());
  return result;
}

jobject newFile(const std::string& path) {
  jclass fileClass = vm()->FindClass("java/io/File");
  return vm()->NewObject(fileClass, vm()->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;)V"), text(path));
}

std::string utf8(jobject javaText) { return fs::path(javaStringText(vm(), static_cast<jstring>(javaText))).string(); }

// The elements of a java.util.List, each as its toString().
std::vector<std::string> elements(jobject list) {
  jclass listClass = vm()->FindClass("java/util/List");
  jmethodID get = vm()->GetMethodID(listClass, "get", "(I)Ljava/lang/Object;");
  jmethodID toString = vm()->GetMethodID(vm()->FindClass("java/lang/Object"), "toString", "()Ljava/lang/String;");
  std::vector<std::string> result;
  if (!list) return result;
  jint size = noThrow(vm()->CallIntMethod(list, vm()->GetMethodID(listClass, "size", "()I")));
  for (jint i = 0; i < size; ++i) {
    jobject element = noThrow(vm()->CallObjectMethod(list, get, i));
    jobject name = noThrow(vm()->CallObjectMethod(element, toString));
    result.push_back(utf8(name));
    vm()->DeleteLocalRef(name);
    vm()->DeleteLocalRef(element);
  }
  return result;
}

// Defines the compiled Java test double in WinDel's class loader (so in its package) once.
jclass windowsAttributesClass() {
  static jclass defined = nullptr;
  if (defined) return defined;
  const char name[] = "com/morva/runtime/util/WindowsAttributes";
  std::ifstream in(std::string(LNX_JVM_TEST_CLASSES) + "/" + name + ".class", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  jclass classClass = vm()->FindClass("java/lang/Class");
  jobject loader = noThrow(vm()->CallObjectMethod(
      winDelClass(), vm()->GetMethodID(classClass, "getClassLoader", "()Ljava/lang/ClassLoader;")));
  jclass local = noThrow(
      vm()->DefineClass(name, loader, reinterpret_cast<const jbyte*>(bytes.data()), static_cast<jsize>(bytes.size())));
  EXPECT_NE(nullptr, local) << "test double not defined";
  defined = local ? static_cast<jclass>(vm()->NewGlobalRef(local)) : nullptr;
  return defined;
}

TEST(WinDelTree, AJunctionIsListedItselfNeverFollowedAndWhatVanishesIsPassedOver) {
  TempFolder folder;
  fs::path root = folder.path / "mrv1.tmp_dir1";
  fs::create_directories(root / "junction");
  fs::create_directories(root / "sub");
  for (const fs::path& file :
       {root / "a.txt", root / "junction" / "target.txt", root / "sub" / "b.txt", root / "vanished.txt"})
    std::ofstream(file) << "x";
  jclass doubles = windowsAttributesClass();
  ASSERT_NE(nullptr, doubles);
  jobject reader = noThrow(vm()->CallStaticObjectMethod(
      doubles, vm()->GetStaticMethodID(doubles, "reader", "()Lcom/morva/runtime/util/WinDel$AttributeReader;")));
  jobject files = fileList({});
  jobject directories = fileList({});
  vm()->CallStaticVoidMethod(winDelClass(),
                             vm()->GetStaticMethodID(winDelClass(), "collectTree",
                                                     "(Ljava/io/File;Ljava/util/List;Ljava/util/List;"
                                                     "Lcom/morva/runtime/util/WinDel$AttributeReader;)V"),
                             newFile(root.string()), files, directories, reader);
  ASSERT_FALSE(threw()) << "a vanished file ends the walk";
  EXPECT_EQ((std::vector<std::string>{(root / "a.txt").string(), (root / "sub" / "b.txt").string()}), elements(files));
  EXPECT_EQ((std::vector<std::string>{(root / "junction").string(), (root / "sub").string(), root.string()}),
            elements(directories));
}

// WinDel's removeTempDirAfterExit with the list written into a folder of the test; the
// list file, or null (an exception stays pending).
jobject handOver(const fs::path& tempDir, const char* semaphore, const fs::path& executable,
                 const fs::path& listDirectory) {
  return vm()->CallStaticObjectMethod(
      winDelClass(),
      vm()->GetStaticMethodID(winDelClass(), "removeTempDirAfterExit",
                              "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/io/File;)Ljava/io/File;"),
      text(tempDir.string()), semaphore ? text(semaphore) : nullptr, text(executable.string()),
      newFile(listDirectory.string()));
}

TEST(WinDelStart, NothingIsHandedOverForAForeignDirectoryWithoutASemaphoreOrWhenTheStartFails) {
  TempFolder folder;
  fs::path lists = folder.path / "lists";
  fs::create_directories(lists);
  fs::path copy = folder.path / "copy.sh";
  std::ofstream(copy) << "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n";
  fs::permissions(copy, fs::perms::owner_all);
  for (const char* name : {"setup files", "mrv1.tmp_dir1x", "mrv1.tmp"}) {
    fs::create_directories(folder.path / name);
    EXPECT_EQ(nullptr, noThrow(handOver(folder.path / name, "Local\\s0", copy, lists))) << name;
  }
  fs::path tempDir = folder.path / "mrv1.tmp_dir1";
  fs::create_directories(tempDir);
  EXPECT_EQ(nullptr, noThrow(handOver(tempDir, "", copy, lists)));
  EXPECT_EQ(nullptr, noThrow(handOver(tempDir, nullptr, copy, lists)));

  EXPECT_EQ(nullptr, handOver(tempDir, "Local\\s0", folder.path / "no such copy", lists));
  EXPECT_TRUE(vm()->ExceptionCheck()) << "the failed start is reported";
  vm()->ExceptionClear();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(fs::is_empty(lists)) << "no list is left behind";
  EXPECT_FALSE(fs::exists(folder.path / "started"));
}

TEST(WinDelStart, OnWindowsTheCommandLineCarriesPathsWithApostrophesWhole) {
  const std::string executable = "C:\\Users\\O'Brien\\Downloads\\setup.exe";
  const std::string list = "C:\\Users\\O'Brien\\AppData\\Local\\Temp\\lnxdel1.txt";
  jmethodID command =
      vm()->GetStaticMethodID(winDelClass(), "cleanupCommand", "(Ljava/lang/String;Ljava/io/File;Z)Ljava/util/List;");
  std::vector<std::string> arguments = elements(
      noThrow(vm()->CallStaticObjectMethod(winDelClass(), command, text(executable), newFile(list), JNI_TRUE)));
  // The runtime passes already quoted arguments on as they are, joined by single spaces.
  std::string commandLine;
  for (const std::string& argument : arguments)
    commandLine += (commandLine.empty() ? "" : " ") + argument;
  ArgumentList split;
  splitCommandLine(fs::path(commandLine).wstring(), split);
  EXPECT_EQ((ArgumentList{fs::path(executable).wstring(), L"__lnx_windel", fs::path(list).wstring()}), split)
      << commandLine;
}

TEST(WinDelStart, BothEndsAgreeOnTheTempDirName) {
  jmethodID javaRule = vm()->GetStaticMethodID(winDelClass(), "isTempDirName", "(Ljava/lang/String;)Z");
  for (const char* name : {"mrv1A2B.tmp_dir1700000000", "mrvf.tmp_dir-5", "mrv12345_dir17", "mrv1A2B3.tmp_dir1",
                           "mrv1A.tmp_dir", "mrv1A.tmp_dir1x", "MRV1A.TMP_DIR1", "mrv1A.tmp", "mrv1_dir",
                           "mrv1A.tmp_dir12345678901", "mrv1.tmp_dir--1", "setup files"}) {
    jstring javaName = text(name);
    EXPECT_EQ(isTempDirName(fs::path(name).wstring()),
              noThrow(vm()->CallStaticBooleanMethod(winDelClass(), javaRule, javaName)) == JNI_TRUE)
        << name;
    vm()->DeleteLocalRef(javaName);
  }
}

} // namespace
} // namespace lnx
