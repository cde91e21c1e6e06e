#pragma once
// The JVM home text of the chosen runtime (its bin directory, "\" and ".."), which the
// variable expansion hands out. Empty until a runtime has been chosen.
#include <string>

namespace lnx {

const std::string& jvmHome();
void setJvmHome(const std::string& home);

} // namespace lnx
