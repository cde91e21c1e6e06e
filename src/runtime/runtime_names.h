#pragma once
// The names of a runtime that travels with the setup file, in the extraction directory: the
// archive (bundled by the builder or downloaded) and the directory it is unpacked into.
namespace lnx {

inline constexpr char kRuntimeArchiveName[] = "jre.tar.gz";
inline constexpr char kRuntimeDirectoryName[] = "jre";

} // namespace lnx
