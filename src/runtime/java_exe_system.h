#pragma once
// What judging a java.exe needs from the system, so that the rules run without Windows:
// full paths, file times, existence, and running the java.exe to read its version.
#include <cstdint>
#include <string>

namespace lnx {

class JavaExeSystem {
public:
  virtual ~JavaExeSystem() = default;
  // The lower-case full path of path, resolved against the launcher's directory.
  virtual std::string fullPath(const std::string& path) = 0;
  // False when the file is missing; otherwise its last-write time (FILETIME as 64 bits).
  virtual bool lastWriteTime(const std::string& path, uint64_t& time) = 0;
  // Whether a file or a directory is there.
  virtual bool fileExists(const std::string& path) = 0;
  // Runs the java.exe with -version; false when no version could be read (it may then
  // have recorded the failure marker "1.0.0" in the version cache itself).
  virtual bool probeVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) = 0;
};

// The system of this process (Windows); defined by the Win32 shell.
JavaExeSystem& processJavaExeSystem();

} // namespace lnx
