#pragma once
// The two forms of "lnxpack inspect": aligned text for people, one JSON object for tools.
#include <filesystem>
#include <ostream>
#include <string>

#include "lnxpack/inspect.h"

namespace lnx::pack {

void printReportText(const InspectReport& report, const std::filesystem::path& file,
                     const std::string& locale, std::ostream& out);
void printReportJson(const InspectReport& report, const std::filesystem::path& file,
                     const std::string& locale, std::ostream& out);

} // namespace lnx::pack
