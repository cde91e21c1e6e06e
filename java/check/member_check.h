#pragma once
// Answers, from compiled classes, what a VM would answer the launcher and its natives:
// RegisterNatives for every method of the binding table, and the class, method, constructor
// and field look-ups they make.
#include "jni_fake/class_file.h"
#include "natives/binding_table.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

enum class MemberKind { StaticNative, StaticMethod, Constructor, StaticField };

struct JavaMemberLookup {
  std::string classPath;
  MemberKind kind;
  std::string name;
  std::string descriptor;
};

using ClassSource = std::function<std::optional<jnifake::ClassFile>(const std::string& classPath)>;

// A static native of that name and descriptor for every method of the table.
std::vector<JavaMemberLookup> nativeLookups(const std::vector<NativeClassEntry>& table);

// One line for every look-up that would fail.
std::vector<std::string> failedLookups(const std::vector<JavaMemberLookup>& lookups, const ClassSource& classes);

// One line for every native method of a table class that the table does not bind.
std::vector<std::string> nativesOutsideTable(const std::vector<NativeClassEntry>& table,
                                             const ClassSource& classes);

} // namespace lnx
