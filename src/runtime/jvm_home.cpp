#include "runtime/jvm_home.h"

namespace lnx {

namespace {
std::string& chosenJvmHome() {
  static std::string home;
  return home;
}
} // namespace

const std::string& jvmHome() { return chosenJvmHome(); }

void setJvmHome(const std::string& home) { chosenJvmHome() = home; }

} // namespace lnx
