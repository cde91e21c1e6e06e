#pragma once
// A jvm.dll driven the way the launcher drives one, step by step: each step makes the JNI
// calls of one launcher operation and answers with a line that says what came back.
#include <jni.h>

#include <optional>
#include <string>
#include <vector>

namespace standin {

class JniDriver {
public:
  // False when the library or its JNI_CreateJavaVM cannot be loaded.
  bool load(const std::wstring& libraryPath);

  // One step: its name and its fields. The answer line, or nothing for an unknown step.
  std::optional<std::string> run(const std::vector<std::string>& step);

private:
  using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

  std::string create();
  std::string findClass(const std::string& name);
  std::string getStaticMethod(const std::vector<std::string>& step);
  std::string registerNatives(const std::vector<std::string>& step);
  std::string callMain(const std::vector<std::string>& step);
  std::string callStatic(const std::vector<std::string>& step);
  std::string setProperty(const std::string& key, const std::string& value);
  std::string setStaticField(const std::string& className, const std::string& field, const std::string& value);
  std::string unsupported();
  std::string deleteTwice();
  std::string destroy();
  // The launcher's check after main: the pending exception's text, described and cleared.
  std::string pendingExceptionText();

  CreateJavaVm createJavaVm_ = nullptr;
  std::vector<std::string> options_;
  jint version_ = JNI_VERSION_1_8;
  JavaVM* vm_ = nullptr;
  JNIEnv* env_ = nullptr;
};

} // namespace standin
