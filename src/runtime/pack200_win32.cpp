#include <windows.h>

#include <cstdio>
#include <vector>

#include "fs/path_names.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "runtime/pack200.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {
constexpr size_t kPackSuffixLength = 5; // ".pack"
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
  if (!CreateProcessA(program.c_str(), mutableCommandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process)) {
    logPrint(L"could not create unpack process");
    failWithMessageArgument(message::internalError, L"20");
  }
  KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  logPrint(L"waiting for unpack200 to finish");
  WaitForSingleObject(processHandle.get(), INFINITE);
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
