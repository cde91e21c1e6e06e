// The version cache: per java.exe its last-write time and the version it reported.
#include <algorithm>
#include <vector>

#include "runtime/registered_runtimes.h"

namespace lnx {

namespace {

const char* const kVersionCacheKey = "SOFTWARE\\qorvane-systems\\morva\\jvms\\";
constexpr size_t kCachedVersionBytes = 6000;
constexpr size_t kFileTimeBytes = 8;

RegistryKeyName cacheKey(const std::string& javaExe) {
  return {RegistryRoot::CurrentUser, kVersionCacheKey + encodeRuntimePath(javaExe)};
}

// The FILETIME as it lies in memory: low double word first, little-endian.
std::vector<uint8_t> fileTimeBytes(uint64_t time) {
  std::vector<uint8_t> bytes(kFileTimeBytes);
  for (size_t i = 0; i < kFileTimeBytes; ++i) bytes[i] = static_cast<uint8_t>(time >> (8 * i));
  return bytes;
}

// Versions that older launchers wrote cut short, or with the closing quote and part of
// the date that newer runtimes print after the version; they say nothing about the runtime.
bool isDamagedVersion(const std::string& version) {
  return version == "1.7." || version == "1.6." || version == "1.5." || version.find('"') != std::string::npos;
}

} // namespace

std::string encodeRuntimePath(const std::string& javaExe) {
  std::string encoded = javaExe;
  std::replace(encoded.begin(), encoded.end(), '\\', '/');
  return encoded;
}

std::string decodeRuntimePath(const std::string& keyName) {
  std::string decoded = keyName;
  std::replace(decoded.begin(), decoded.end(), '/', '\\');
  return decoded;
}

bool readCachedVersion(Registry& registry, const std::string& javaExe, uint64_t lastWriteTime, std::string& version) {
  RegistryKeyName key = cacheKey(javaExe);
  std::vector<uint8_t> storedTime;
  std::string cached;
  if (registry.readBinary(key, "LastWriteTime", kFileTimeBytes, storedTime) != kRegistryOk) return false;
  if (registry.readString(key, "Version", kCachedVersionBytes, cached) != kRegistryOk) return false;
  if (storedTime != fileTimeBytes(lastWriteTime)) return false;
  if (cached.size() >= kVersionBufferBytes || isDamagedVersion(cached)) return false;
  version = cached;
  return true;
}

void storeCachedVersion(Registry& registry, const std::string& javaExe, uint64_t lastWriteTime,
                        const std::string& version) {
  RegistryKeyName key = cacheKey(javaExe);
  if (registry.createKey(key) != kRegistryOk) return;
  registry.writeBinary(key, "LastWriteTime", fileTimeBytes(lastWriteTime));
  registry.writeString(key, "Version", version);
}

} // namespace lnx
