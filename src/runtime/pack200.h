#pragma once
// Restoring Pack200-packed jars ("x.jar.pack" -> "x.jar") with a runtime's own
// bin\unpack200.exe.
#include <string>

namespace lnx {

// The packed jars of runtimeDirectory's lib and lib\ext whose jar is missing.
void unpackJreDirectory(const std::string& runtimeDirectory);
void unpackPackDirectory(const std::string& runtimeDirectory, const std::string& subdirectory, bool& announced);
// Ends the process with internal error 20 when the unpacker cannot be started.
void unpackPackFile(const std::string& runtimeDirectory, const std::string& packedFile);

} // namespace lnx
