#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/cancellation.h"
#include "fs/path_names.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "runtime/pack200.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr size_t kPackSuffixLength = 5; // ".pack"
constexpr DWORD kWaitSliceMs = 100;
constexpr DWORD kTerminatedWaitMs = 5000;

// Waits for the unpacker in slices: on Cancel it is ended, and has let go of the jar it was
// writing, before the canceled run removes the directory.
void waitForUnpacker(HANDLE process) {
  while (WaitForSingleObject(process, kWaitSliceMs) == WAIT_TIMEOUT) {
    if (!cancelRequested()) continue;
    if (TerminateProcess(process, 1) && WaitForSingleObject(process, kTerminatedWaitMs) == WAIT_OBJECT_0)
      logPrint(L"unpack200 ended on cancel");
    stopIfCanceled();
  }
}

} // namespace

void unpackPackFile(const std::string& runtimeDirectory, const std::string& packedFile) {
  if (!pathExists(packedFile)) {
    logPrint(L"pack path doesn't exists");
    return;
  }
  std::string jar = packedFile.substr(0, packedFile.size() - kPackSuffixLength);
  std::string program = runtimeDirectory + "\\bin\\unpack200.exe";
  std::string arguments = "-r \"" + packedFile + "\" \"" + jar + "\"";
  logPrint(L"%S", program);
  logPrint(L"%S", arguments);

  std::string commandLine = "\"" + program + "\" " + arguments;
  std::vector<char> mutableCommandLine(commandLine.begin(), commandLine.end());
  mutableCommandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  // Detached: a console host started for the unpacker could outlive it (ended on Cancel
  // above all) holding its working directory, the extraction directory, open.
  if (!CreateProcessA(program.c_str(), mutableCommandLine.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS | DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
    logPrint(L"could not create unpack process");
    failWithMessageArgument(message::internalError, L"20");
  }
  KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  logPrint(L"waiting for unpack200 to finish");
  waitForUnpacker(processHandle.get());
  logPrint(L"unpack done");
  if (!DeleteFileA(packedFile.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    logPrint(L"could not delete packed file (error %d)", static_cast<int>(GetLastError()));
}

void unpackPackDirectory(const std::string& runtimeDirectory, const std::string& subdirectory, bool& announced) {
  std::string directory = runtimeDirectory + "\\" + subdirectory;
  WIN32_FIND_DATAA entry;
  FindHandle search(FindFirstFileA((directory + "\\*.jar.pack").c_str(), &entry));
  if (!search.valid()) return;
  do {
    std::string name = entry.cFileName;
    std::string jar = directory + "\\" + name.substr(0, name.size() - kPackSuffixLength);
    logPrint(L"checking %S", jar);
    if (pathExists(jar)) continue;
    if (!announced) {
      logPrint(L"Unpacking JRE");
      std::fputs("Preparing JRE ...\n", stdout);
      std::fflush(stdout);
      announced = true;
    }
    unpackPackFile(runtimeDirectory, jar + ".pack");
  } while (FindNextFileA(search.get(), &entry));
}

void unpackJreDirectory(const std::string& runtimeDirectory) {
  bool announced = false;
  unpackPackDirectory(runtimeDirectory, "lib", announced);
  unpackPackDirectory(runtimeDirectory, "lib\\ext", announced);
  if (announced) logPrint(L"Unpacking JRE done");
}

} // namespace lnx
