#pragma once
// A registry in memory for host tests. Key and value names are case-insensitive (ASCII)
// as in Windows; subkeys enumerate in the order they were created, not sorted, so tests
// see whether the code under test sorts where it must. The 32-bit view is a tree of its
// own, as HKLM\SOFTWARE is for a 64-bit process.
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/registry.h"

namespace lnx::test {

class MemoryRegistry : public Registry {
public:
  long openKey(const RegistryKeyName& key) override { return find(key) ? kRegistryOk : kRegistryNotFound; }

  long subkeyNames(const RegistryKeyName& key, std::vector<std::string>& names) override {
    Node* node = find(key);
    if (!node) return kRegistryNotFound;
    for (const auto& child : node->children) names.push_back(child->name);
    return kRegistryOk;
  }

  long readString(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                  std::string& text) override {
    const std::string* data = value(key, valueName);
    if (!data) return kRegistryNotFound;
    size_t end = data->find('\0');
    if (data->size() > byteLimit || (end == std::string::npos && data->size() >= byteLimit)) return kRegistryMoreData;
    text = data->substr(0, end);
    return kRegistryOk;
  }

  long readBinary(const RegistryKeyName& key, const std::string& valueName, size_t byteLimit,
                  std::vector<uint8_t>& bytes) override {
    const std::string* data = value(key, valueName);
    if (!data) return kRegistryNotFound;
    if (data->size() > byteLimit) return kRegistryMoreData;
    bytes.assign(data->begin(), data->end());
    return kRegistryOk;
  }

  long createKey(const RegistryKeyName& key) override {
    if (deniesWrites(key)) return kAccessDenied;
    Node* node = &tree(key);
    for (const std::string& part : splitPath(key.path)) {
      Node* child = childOf(*node, part);
      if (!child) {
        node->children.push_back(std::make_unique<Node>());
        child = node->children.back().get();
        child->name = part;
      }
      node = child;
    }
    return kRegistryOk;
  }

  long writeBinary(const RegistryKeyName& key, const std::string& valueName,
                   const std::vector<uint8_t>& data) override {
    return setRaw(key, valueName, std::string(data.begin(), data.end()));
  }

  long writeString(const RegistryKeyName& key, const std::string& valueName, const std::string& text) override {
    return setRaw(key, valueName, text);
  }

  // Test set-up, also under a read-only machine root: creates the key, and stores the bytes
  // as given (a REG_SZ written by an installer carries its terminating zero; put it in the
  // data then).
  void putKey(const RegistryKeyName& key) {
    bool wasReadOnly = std::exchange(machineReadOnly, false);
    createKey(key);
    machineReadOnly = wasReadOnly;
  }
  void put(const RegistryKeyName& key, const std::string& valueName, const std::string& data) {
    putKey(key);
    storeValue(*find(key), valueName, data);
  }

  const std::string* value(const RegistryKeyName& key, const std::string& valueName) {
    const Node* node = find(key);
    if (!node) return nullptr;
    for (const auto& [name, data] : node->values)
      if (sameName(name, valueName)) return &data;
    return nullptr;
  }

  // Writes under the local machine fail with "access denied", as for a user without
  // administrator rights.
  bool machineReadOnly = false;

private:
  static constexpr long kAccessDenied = 5;

  struct Node {
    std::string name;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<std::pair<std::string, std::string>> values;
  };

  static bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }

  // Empty parts (a trailing "\") are ignored.
  static std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      if (end > start) parts.push_back(path.substr(start, end - start));
      start = end + 1;
    }
    return parts;
  }

  static Node* childOf(const Node& node, const std::string& name) {
    for (const auto& child : node.children)
      if (sameName(child->name, name)) return child.get();
    return nullptr;
  }

  Node& tree(const RegistryKeyName& key) {
    bool machine = key.root == RegistryRoot::LocalMachine, view32 = (key.view & kRegistry32BitView) != 0;
    return roots_[(machine ? 2 : 0) + (view32 ? 1 : 0)];
  }

  bool deniesWrites(const RegistryKeyName& key) const {
    return machineReadOnly && key.root == RegistryRoot::LocalMachine;
  }

  Node* find(const RegistryKeyName& key) {
    Node* node = &tree(key);
    for (const std::string& part : splitPath(key.path))
      if (!(node = childOf(*node, part))) return nullptr;
    return node;
  }

  long setRaw(const RegistryKeyName& key, const std::string& valueName, const std::string& data) {
    Node* node = find(key);
    if (!node) return kRegistryNotFound;
    if (deniesWrites(key)) return kAccessDenied;
    storeValue(*node, valueName, data);
    return kRegistryOk;
  }

  static void storeValue(Node& node, const std::string& valueName, const std::string& data) {
    for (auto& [name, stored] : node.values)
      if (sameName(name, valueName)) {
        stored = data;
        return;
      }
    node.values.emplace_back(valueName, data);
  }

  Node roots_[4];
};

} // namespace lnx::test
