// The registry interface over the narrow Reg*A functions.
#include <windows.h>

#include <vector>

#include "runtime/registry.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr DWORD kKeyNameBytes = 6000;

HKEY rootHandle(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

long openKeyFor(const RegistryKeyName& key, REGSAM access, RegistryKey& opened) {
  HKEY handle = nullptr;
  LONG status = RegOpenKeyExA(rootHandle(key.root), key.path.c_str(), 0, access | key.view, &handle);
  if (status == ERROR_SUCCESS) opened.reset(handle);
  return status;
}

// The value's raw bytes, at most byteLimit of them.
long queryValue(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                std::vector<uint8_t>& data) {
  RegistryKey opened;
  long status = openKeyFor(key, KEY_READ, opened);
  if (status != ERROR_SUCCESS) return status;
  data.assign(byteLimit, 0);
  DWORD size = static_cast<DWORD>(byteLimit);
  status = RegQueryValueExA(opened.get(), valueName.c_str(), nullptr, nullptr, data.data(), &size);
  data.resize(status == ERROR_SUCCESS ? size : 0);
  return status;
}

long setValue(const RegistryKeyName& key, const std::string& valueName, DWORD type, const void* data, size_t size) {
  RegistryKey opened;
  long status = openKeyFor(key, KEY_SET_VALUE, opened);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExA(opened.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data),
                        static_cast<DWORD>(size));
}

class Win32Registry : public Registry {
public:
  long openKey(const RegistryKeyName& key) override {
    RegistryKey opened;
    return openKeyFor(key, KEY_READ, opened);
  }

  long subkeyNames(const RegistryKeyName& key, std::vector<std::string>& names) override {
    RegistryKey opened;
    long status = openKeyFor(key, KEY_READ, opened);
    if (status != ERROR_SUCCESS) return status;
    std::vector<char> name(kKeyNameBytes);
    for (DWORD index = 0;; ++index) {
      DWORD length = kKeyNameBytes;
      if (RegEnumKeyExA(opened.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        return ERROR_SUCCESS;
      names.emplace_back(name.data(), length);
    }
  }

  long readString(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                  std::string& text) override {
    std::vector<uint8_t> data;
    long status = queryValue(key, valueName, byteLimit, data);
    if (status != ERROR_SUCCESS) return status;
    std::string raw(data.begin(), data.end());
    size_t end = raw.find('\0');
    if (end == std::string::npos && raw.size() >= byteLimit) return ERROR_MORE_DATA; // no room for the zero
    text = raw.substr(0, end);
    return ERROR_SUCCESS;
  }

  long readBinary(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                  std::vector<uint8_t>& data) override {
    return queryValue(key, valueName, byteLimit, data);
  }

  long createKey(const RegistryKeyName& key) override {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExA(rootHandle(key.root), key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | key.view, nullptr, &handle, nullptr);
    RegistryKey created(status == ERROR_SUCCESS ? handle : nullptr); // callers reopen it by name
    return status;
  }

  long writeBinary(const RegistryKeyName& key, const std::string& valueName,
                   const std::vector<uint8_t>& data) override {
    return setValue(key, valueName, REG_BINARY, data.data(), data.size());
  }

  long writeString(const RegistryKeyName& key, const std::string& valueName, const std::string& text) override {
    return setValue(key, valueName, REG_SZ, text.data(), text.size());
  }
};

} // namespace

Registry& processRegistry() {
  static Win32Registry registry;
  return registry;
}

} // namespace lnx
