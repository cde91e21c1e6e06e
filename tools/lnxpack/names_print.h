#pragma once
// "lnxpack names": the configuration catalogue for people writing project files.
#include <ostream>

namespace lnx::pack {

// One line per configuration name: id, name, kind and meaning, in id order.
void printConfigNames(std::ostream& out);

} // namespace lnx::pack
