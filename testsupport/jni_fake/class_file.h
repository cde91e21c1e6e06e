#pragma once
// What the fake VM knows of a class: read from a real class file (names, flags, fields and
// methods with descriptors), enough to answer FindClass, the member lookups and
// RegisterNatives as a real VM would. Names stay modified UTF-8, as JNI passes them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jnifake {

constexpr uint16_t kAccStatic = 0x0008;
constexpr uint16_t kAccNative = 0x0100;

struct ClassMember {
  std::string name;
  std::string descriptor;
  uint16_t access = 0;
};

struct ClassFile {
  std::string name;      // internal form, "a/b/C"
  std::string superName; // empty for java/lang/Object
  uint16_t access = 0;
  std::vector<ClassMember> fields;
  std::vector<ClassMember> methods;
};

// Nothing when the bytes are no well-formed class file.
std::optional<ClassFile> parseClassFile(const std::string& bytes);

} // namespace jnifake
