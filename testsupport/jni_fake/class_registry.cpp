#include "class_registry.h"

#include "builtin_classes.h"

namespace jnifake {

namespace {

const LoadedMember* lookUp(const std::vector<LoadedMember>& members, const std::string& name,
                           const std::string& descriptor) {
  for (const LoadedMember& candidate : members)
    if (candidate.member.name == name && candidate.member.descriptor == descriptor)
      return &candidate;
  return nullptr;
}

template <typename MembersOf>
const LoadedMember* inHierarchy(const LoadedClass& type, const std::string& name, const std::string& descriptor,
                                bool isStatic, MembersOf membersOf) {
  for (const LoadedClass* current = &type; current; current = current->superClass)
    if (const LoadedMember* found = lookUp(membersOf(*current), name, descriptor))
      return found->isStatic() == isStatic ? found : nullptr;
  return nullptr;
}

} // namespace

ClassRegistry::ClassRegistry(const std::vector<std::wstring>& classPath, std::string hiddenClass)
    : classPath_(classPath), hiddenClass_(std::move(hiddenClass)) {}

const LoadedClass* ClassRegistry::find(const std::string& name) {
  if (name == hiddenClass_)
    return nullptr;
  auto known = loaded_.find(name);
  if (known != loaded_.end())
    return known->second.get();
  return load(name);
}

const LoadedClass* ClassRegistry::load(const std::string& name) {
  std::optional<ClassFile> file = builtinClass(name);
  if (!file)
    if (std::optional<std::string> bytes = classPath_.classBytes(name))
      file = parseClassFile(*bytes);
  if (!file || file->name != name || !loading_.insert(name).second)
    return nullptr;
  auto type = std::make_unique<LoadedClass>();
  type->name = name;
  type->superClass = file->superName.empty() ? nullptr : find(file->superName);
  loading_.erase(name);
  for (ClassMember& field : file->fields)
    type->fields.push_back({type.get(), std::move(field)});
  for (ClassMember& method : file->methods)
    type->methods.push_back({type.get(), std::move(method)});
  return (loaded_[name] = std::move(type)).get();
}

const LoadedMember* ClassRegistry::findMethod(const LoadedClass& type, const std::string& name,
                                              const std::string& descriptor, bool isStatic) {
  return inHierarchy(type, name, descriptor, isStatic, [](const LoadedClass& c) -> auto& { return c.methods; });
}

const LoadedMember* ClassRegistry::findField(const LoadedClass& type, const std::string& name,
                                             const std::string& descriptor, bool isStatic) {
  return inHierarchy(type, name, descriptor, isStatic, [](const LoadedClass& c) -> auto& { return c.fields; });
}

const LoadedMember* ClassRegistry::declaredMethod(const LoadedClass& type, const std::string& name,
                                                  const std::string& descriptor) {
  return lookUp(type.methods, name, descriptor);
}

} // namespace jnifake
