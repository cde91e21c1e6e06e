#pragma once
// A file system of java.exe files with known versions, for host tests of the runtime checks.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/java_exe_system.h"

namespace lnx::test {

class FakeJavaExeSystem : public JavaExeSystem {
public:
  struct JavaExe {
    uint64_t lastWriteTime = 1;
    std::string version; // empty: the probe fails
  };

  // Paths are kept lower-case, as fullPath hands them out.
  void addJavaExe(const std::string& path, const std::string& version, uint64_t lastWriteTime = 1) {
    javaExes[lower(path)] = JavaExe{lastWriteTime, version};
  }
  void addFile(const std::string& path) { otherFiles.insert(lower(path)); }

  std::string fullPath(const std::string& path) override { return lower(path); }
  bool lastWriteTime(const std::string& path, uint64_t& time) override {
    auto found = javaExes.find(path);
    time = found != javaExes.end() ? found->second.lastWriteTime : 0;
    return isFile(path);
  }
  // A directory exists when a file lies below it.
  bool fileExists(const std::string& path) override {
    std::string directory = lower(path) + "\\";
    auto isBelow = [&](const std::string& file) { return file.compare(0, directory.size(), directory) == 0; };
    return isFile(path) ||
           std::any_of(javaExes.begin(), javaExes.end(), [&](const auto& entry) { return isBelow(entry.first); }) ||
           std::any_of(otherFiles.begin(), otherFiles.end(), isBelow);
  }
  bool probeVersion(const std::string& javaExe, uint64_t, std::string& version) override {
    probed.push_back(javaExe);
    auto found = javaExes.find(javaExe);
    if (found == javaExes.end() || found->second.version.empty()) return false;
    version = found->second.version;
    return true;
  }

  std::map<std::string, JavaExe> javaExes;
  std::set<std::string> otherFiles;
  std::vector<std::string> probed;

private:
  bool isFile(const std::string& path) const { return javaExes.count(lower(path)) || otherFiles.count(lower(path)); }
  static std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  }
};

} // namespace lnx::test
