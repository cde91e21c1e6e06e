// The Java side's temp-cleanup list (com.morva.runtime.util.WinDel) read back by the
// launcher's list reader and pass logic: both ends of the list agree.
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

#include "cleanup/windel_list.h"
#include "cleanup/windel_passes.h"
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
  bool deleteFile(const std::wstring& path) override { return record(L"file ", path); }
  bool removeDirectory(const std::wstring& path) override { return record(L"directory ", path); }
  bool exists(const std::wstring&) override { return true; }
  bool deleteAtRestart(const std::wstring&) override { return false; }
  void pause(unsigned) override {}
  bool record(const wchar_t* kind, const std::wstring& path) {
    steps.push_back(kind + path);
    return true;
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

} // namespace
} // namespace lnx
