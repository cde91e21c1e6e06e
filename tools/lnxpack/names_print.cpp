#include "lnxpack/names_print.h"

#include <algorithm>
#include <cstring>
#include <iomanip>

#include "payload/catalogue.h"

namespace lnx::pack {

void printConfigNames(std::ostream& out) {
  size_t nameWidth = 4;
  for (const ConfigInfo& info : configCatalogue()) nameWidth = std::max(nameWidth, std::strlen(info.name));
  out << std::left << std::setw(7) << "id" << std::setw(static_cast<int>(nameWidth) + 2) << "name"
      << std::setw(9) << "kind" << "meaning\n";
  for (const ConfigInfo& info : configCatalogue())
    out << std::left << std::setw(7) << info.id << std::setw(static_cast<int>(nameWidth) + 2) << info.name
        << std::setw(9) << configKindName(info.kind) << info.meaning << '\n';
}

} // namespace lnx::pack
