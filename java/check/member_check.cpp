#include "member_check.h"

#include <algorithm>

namespace lnx {

namespace {

using jnifake::ClassFile;
using jnifake::ClassMember;

std::string memberText(const std::string& classPath, const std::string& name, const std::string& descriptor) {
  return classPath + "." + name + " " + descriptor;
}

const ClassMember* findMember(const std::vector<ClassMember>& members, const JavaMemberLookup& lookup) {
  auto match = std::find_if(members.begin(), members.end(), [&](const ClassMember& member) {
    return member.name == lookup.name && member.descriptor == lookup.descriptor;
  });
  return match == members.end() ? nullptr : &*match;
}

// Empty when the member has the flags the look-up needs, else what is wrong with them.
std::string flagProblem(const ClassMember& member, MemberKind kind) {
  bool isStatic = member.access & jnifake::kAccStatic;
  bool isNative = member.access & jnifake::kAccNative;
  switch (kind) {
  case MemberKind::StaticNative:
    return isStatic && isNative ? "" : "not a static native method";
  case MemberKind::Constructor:
    return member.name == "<init>" ? "" : "not a constructor";
  case MemberKind::StaticMethod:
  case MemberKind::StaticField:
    return isStatic ? "" : "not static";
  }
  return "unknown kind of look-up";
}

std::string lookupFailure(const JavaMemberLookup& lookup, const ClassSource& classes) {
  std::string member = memberText(lookup.classPath, lookup.name, lookup.descriptor);
  std::optional<ClassFile> classFile = classes(lookup.classPath);
  if (!classFile) return member + ": class not found";
  if (classFile->name != lookup.classPath) return member + ": the class file holds " + classFile->name;
  const ClassMember* found =
      findMember(lookup.kind == MemberKind::StaticField ? classFile->fields : classFile->methods, lookup);
  if (!found) return member + ": no such member";
  std::string problem = flagProblem(*found, lookup.kind);
  return problem.empty() ? "" : member + ": " + problem;
}

bool inTable(const NativeClassEntry& entry, const ClassMember& method) {
  return std::any_of(entry.methods.begin(), entry.methods.end(), [&](const NativeMethodEntry& tableMethod) {
    return method.name == tableMethod.name && method.descriptor == tableMethod.descriptor;
  });
}

} // namespace

std::vector<JavaMemberLookup> nativeLookups(const std::vector<NativeClassEntry>& table) {
  std::vector<JavaMemberLookup> lookups;
  for (const NativeClassEntry& entry : table)
    for (const NativeMethodEntry& method : entry.methods)
      lookups.push_back({entry.classPath, MemberKind::StaticNative, method.name, method.descriptor});
  return lookups;
}

std::vector<std::string> failedLookups(const std::vector<JavaMemberLookup>& lookups, const ClassSource& classes) {
  std::vector<std::string> failures;
  for (const JavaMemberLookup& lookup : lookups) {
    std::string failure = lookupFailure(lookup, classes);
    if (!failure.empty()) failures.push_back(failure);
  }
  return failures;
}

std::vector<std::string> nativesOutsideTable(const std::vector<NativeClassEntry>& table,
                                             const ClassSource& classes) {
  std::vector<std::string> unbound;
  for (const NativeClassEntry& entry : table) {
    std::optional<ClassFile> classFile = classes(entry.classPath);
    if (!classFile) continue; // failedLookups reports the missing class
    for (const ClassMember& method : classFile->methods)
      if ((method.access & jnifake::kAccNative) && !inTable(entry, method))
        unbound.push_back(memberText(entry.classPath, method.name, method.descriptor) + ": not in the table");
  }
  return unbound;
}

} // namespace lnx
