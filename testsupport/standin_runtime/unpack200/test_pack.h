#pragma once
// The test "pack" format that stands in for packed jars: the bytes "LNXPACK1", then the
// jar's bytes each XOR 0x5A. Reversible and cheap, and a jar left packed is no zip file.
#include <optional>
#include <string>

namespace standin {

// The jar packed in `packed`; nothing when the bytes are not in the test pack format.
std::optional<std::string> unpackTestPack(const std::string& packed);

} // namespace standin
