// Running a java.exe to read its version, and the file facts that judging it needs.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "fs/path_names.h"
#include "fs/temp_dir.h"
#include "log/log.h"
#include "runtime/java_exe_system.h"
#include "runtime/registered_runtimes.h"
#include "runtime/registry.h"
#include "runtime/version_line.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr DWORD kProbeTimeoutMillis = 60000;
constexpr DWORD kStillRunning = 259;

std::string shortPathOf(const std::string& path) {
  std::vector<char> buffer(6000);
  DWORD length = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) {
    logPrint(L"Could not get short path name for %S", path);
    return std::string();
  }
  return std::string(buffer.data(), length);
}

// What the probed java.exe wrote to its standard error, read as text: enough for the
// notices before the version line, never more than a bounded amount.
std::string probeOutputOf(const std::string& file) {
  constexpr size_t kLongestOutput = 64 * 1024;
  std::string output;
  FILE* stream = std::fopen(file.c_str(), "r");
  if (!stream) return output;
  char buffer[4096];
  size_t count = 0;
  while (output.size() < kLongestOutput && (count = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
    output.append(buffer, count);
  std::fclose(stream);
  return output;
}

bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) {
  std::string shortPath = shortPathOf(javaExe);
  std::string commandLine = probeCommandLine(shortPath.empty() ? javaExe : shortPath);
  std::string outputFile = makeTempFileName();
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  FileHandle errorStream(CreateFileA(outputFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdError = errorStream.get();
  PROCESS_INFORMATION process{};
  std::vector<char> mutableCommandLine(commandLine.begin(), commandLine.end());
  mutableCommandLine.push_back('\0');
  // Detached: java.exe needs no console to print its version, and a console host started for
  // it could outlive it holding the output file and the working directory (the extraction
  // directory) open, so that neither could be removed.
  if (!CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS | DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
    logPrint(L"Could not create process %S > %S (error %d)", commandLine, outputFile,
             static_cast<int>(GetLastError()));
    errorStream.reset();
    DeleteFileA(outputFile.c_str());
    return false;
  }
  KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  WaitForSingleObject(processHandle.get(), kProbeTimeoutMillis);
  DWORD exitCode = 0;
  GetExitCodeProcess(processHandle.get(), &exitCode);
  logPrint(L"Exit Code %d", static_cast<int>(exitCode));
  if (exitCode == kStillRunning) {
    logPrint(L"Terminating process");
    TerminateProcess(processHandle.get(), 1);
    WaitForSingleObject(processHandle.get(), 5000); // let it release the output file
  } else if (exitCode != 0) {
    storeCachedVersion(processRegistry(), javaExe, lastWriteTime, "1.0.0"); // marks a java.exe that fails
  }
  errorStream.reset();

  bool found = false;
  if (exitCode == 0) {
    std::optional<std::string> parsed = versionFromProbeOutput(probeOutputOf(outputFile));
    if (parsed) {
      version = *parsed;
      logPrint(L"Java version: %S", version);
      found = true;
    }
  }
  DeleteFileA(outputFile.c_str());
  return found;
}

class ProcessJavaExeSystem : public JavaExeSystem {
public:
  std::string fullPath(const std::string& path) override { return makeFullPath(path, false); }
  bool lastWriteTime(const std::string& path, uint64_t& time) override {
    unsigned long long written = 0;
    if (!pathExists(path, &written)) return false;
    time = written;
    return true;
  }
  bool fileExists(const std::string& path) override { return pathExists(path); }
  bool probeVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) override {
    return probeJavaVersion(javaExe, lastWriteTime, version);
  }
};

} // namespace

JavaExeSystem& processJavaExeSystem() {
  static ProcessJavaExeSystem system;
  return system;
}

} // namespace lnx
