#include "runtime/jvm_home.h"

namespace lnx {

namespace {
struct ChosenRuntime {
  std::string home;
  std::string version;
};

ChosenRuntime& chosen() {
  static ChosenRuntime runtime;
  return runtime;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
} // namespace

const std::string& jvmHome() { return chosen().home; }
const std::string& jvmVersion() { return chosen().version; }

std::string javaExeDirectory(const std::string& javaExe) {
  size_t nameLength = endsWith(javaExe, "javaw.exe") ? 9 : 8;
  return javaExe.size() >= nameLength ? javaExe.substr(0, javaExe.size() - nameLength) : std::string();
}

void setJvmHome(const std::string& javaExe, const std::string& version) {
  chosen().home = javaExeDirectory(javaExe) + "..";
  chosen().version = version;
}

} // namespace lnx
