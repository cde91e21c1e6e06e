#pragma once
// Configuration values for the duration of a test.
#include <map>
#include <string>

#include "payload/tables.h"

namespace lnx::test {

class ConfigScope {
public:
  explicit ConfigScope(std::map<int32_t, std::string> values = {}) { install(std::move(values)); }
  ~ConfigScope() { installTables(PayloadTables{}); }
  ConfigScope(const ConfigScope&) = delete;
  ConfigScope& operator=(const ConfigScope&) = delete;

  void set(int32_t id, const std::string& value) {
    std::map<int32_t, std::string> values = installedTables().configValues;
    values[id] = value;
    install(std::move(values));
  }

private:
  static void install(std::map<int32_t, std::string> values) {
    PayloadTables tables;
    tables.configValues = std::move(values);
    installTables(std::move(tables));
  }
};

} // namespace lnx::test
