#pragma once
// The classes the fake VM has loaded, and the member lookups of JNI over them. A
// LoadedMember is what a jmethodID or jfieldID points to, so it never moves once loaded.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "class_file.h"
#include "class_path.h"

namespace jnifake {

struct LoadedClass;

struct LoadedMember {
  const LoadedClass* owner = nullptr;
  ClassMember member;
  bool isStatic() const { return member.access & kAccStatic; }
};

struct LoadedClass {
  std::string name;
  // Null for java/lang/Object, and for a superclass the fake VM cannot load (a JDK class
  // it does not know): lookups then end at this class.
  const LoadedClass* superClass = nullptr;
  std::vector<LoadedMember> fields;
  std::vector<LoadedMember> methods;
};

class ClassRegistry {
public:
  // hiddenClass: an internal name that is never found, present or not.
  ClassRegistry(const std::vector<std::wstring>& classPath, std::string hiddenClass);

  // Built-in JDK classes, then the class path. Null when absent or hidden, or when its class
  // file is malformed or declares another name.
  const LoadedClass* find(const std::string& name);

  // GetMethodID, GetStaticMethodID and GetStaticFieldID: the class and its superclasses.
  static const LoadedMember* findMethod(const LoadedClass& type, const std::string& name,
                                        const std::string& descriptor, bool isStatic);
  static const LoadedMember* findField(const LoadedClass& type, const std::string& name,
                                       const std::string& descriptor, bool isStatic);
  // RegisterNatives binds only methods the class itself declares.
  static const LoadedMember* declaredMethod(const LoadedClass& type, const std::string& name,
                                            const std::string& descriptor);

private:
  const LoadedClass* load(const std::string& name);

  ClassPath classPath_;
  std::string hiddenClass_;
  std::map<std::string, std::unique_ptr<LoadedClass>> loaded_;
  std::set<std::string> loading_; // guards against a class file that is its own superclass
};

} // namespace jnifake
