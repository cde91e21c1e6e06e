#pragma once
// The file mask of the included files' records: the builder stores every byte XOR
// kFileMask, the launcher XORs it again while copying.
#include <cstddef>
#include <cstdint>

namespace lnx {

// XORs each of the size bytes at data with payload::kFileMask in place (masks and unmasks
// alike), eight bytes at a time.
void applyFileMask(uint8_t* data, size_t size);

} // namespace lnx
