#pragma once
// The JSON Schema (draft 2020-12) of the project file, made from the one catalogue and the
// rules of project_file.cpp, for editors and tools. lnxpack checks more than a schema can
// say (ids repeated as name and number, the count of version option lines, device names,
// the 8-bit form of texts, each locale once); what the schema refuses, lnxpack refuses too.
#include <nlohmann/json.hpp>

namespace lnx::pack {

nlohmann::ordered_json projectSchema();

} // namespace lnx::pack
