#pragma once
#include <cstdint>
#include <string>

#include "payload/byte_source.h"

namespace lnx {

// Writes every included file into the extraction directory. Returns 0, 1 when reading the
// Payload failed (or a name would leave the directory), 2 when writing failed; a file that
// cannot be created ends the process with internal error 11.
int extractIncludedFiles();

// Extracts the record at the source's position to targetPath; same results.
int extractFile(ByteSource& payload, const std::string& targetPath);

// The file offset right after the last extracted record; 0 before extraction.
uint32_t getUnextractedPosition();

} // namespace lnx
