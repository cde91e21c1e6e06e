#pragma once
// The entries of a jar held in memory: what the fake VM needs to load a class from a class
// path archive. Stored and deflated entries; no ZIP64, which jars of class files never need.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace jnifake {

class ZipArchive {
public:
  // Reads the central directory; nothing when the bytes are no zip archive.
  static std::optional<ZipArchive> open(std::string bytes);

  // The entry's uncompressed bytes, checked against its CRC; nothing when the archive has
  // no such entry or it cannot be read.
  std::optional<std::string> read(const std::string& name) const;

private:
  struct Entry {
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t localHeaderOffset = 0;
  };

  std::string bytes_;
  std::map<std::string, Entry> entries_;
};

} // namespace jnifake
