#pragma once
// The process environment as the system hands it out: one block of NUL-terminated
// NAME=VALUE texts, ended by an empty text.
#include <string>
#include <vector>

namespace lnx {

// The entries of the block in block order, those that begin with "=" (the per-drive
// current directories) included; none for no block.
std::vector<std::u16string> environmentEntries(const char16_t* block);

} // namespace lnx
