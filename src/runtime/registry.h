#pragma once
// The registry as the runtime search sees it: keys named by root and path, opened for
// each call, so that the selection rules run against an in-memory registry in tests.
// Results are Windows error codes (0 on success), which some log lines carry.
#include <cstdint>
#include <string>
#include <vector>

namespace lnx {

// The values are those of the predefined root handles, which the log prints.
enum class RegistryRoot : uint32_t { CurrentUser = 0x80000001u, LocalMachine = 0x80000002u };

// Access flag of the 32-bit registry view (KEY_WOW64_32KEY).
constexpr uint32_t kRegistry32BitView = 0x0200;

constexpr long kRegistryOk = 0;
constexpr long kRegistryNotFound = 2;   // ERROR_FILE_NOT_FOUND
constexpr long kRegistryMoreData = 234; // ERROR_MORE_DATA

struct RegistryKeyName {
  RegistryRoot root;
  std::string path; // "SOFTWARE\\..." relative to the root
  uint32_t view = 0; // 0 for the default view, or kRegistry32BitView
};

class Registry {
public:
  virtual ~Registry() = default;
  // Whether the key opens for reading.
  virtual long openKey(const RegistryKeyName& key) = 0;
  // The names of the direct subkeys in the registry's index order; enumeration stops at
  // the first failure, keeping the names found before it.
  virtual long subkeyNames(const RegistryKeyName& key, std::vector<std::string>& names) = 0;
  // The value's bytes up to the first zero byte. The stored data may lack the terminator;
  // either way the text and a terminator must fit byteLimit, else kRegistryMoreData.
  virtual long readString(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                          std::string& text) = 0;
  // The value's bytes; more than byteLimit of them is kRegistryMoreData.
  virtual long readBinary(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                          std::vector<uint8_t>& data) = 0;
  // Creates the key and its missing parents, or opens it when it exists (full access).
  virtual long createKey(const RegistryKeyName& key) = 0;
  // Writes into an existing key: REG_BINARY, and REG_SZ whose data is the text without a
  // terminating zero.
  virtual long writeBinary(const RegistryKeyName& key, const std::string& valueName,
                           const std::vector<uint8_t>& data) = 0;
  virtual long writeString(const RegistryKeyName& key, const std::string& valueName, const std::string& text) = 0;
};

// The registry of this process (Windows); defined by the Win32 shell.
Registry& processRegistry();

} // namespace lnx
