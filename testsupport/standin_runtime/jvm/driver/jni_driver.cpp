#include "jni_driver.h"

#include <cstdlib>

#include <windows.h>

#include "command_line.h"

namespace standin {

namespace {

constexpr char kStringClass[] = "java/lang/String";

// Bound by RegisterNatives and never called: the VM only keeps it.
void JNICALL boundNative() {}

std::wstring fromUtf8(const std::string& text) {
  if (text.empty())
    return {};
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

jstring javaString(JNIEnv* env, const std::string& utf8) {
  std::wstring wide = fromUtf8(utf8);
  return env->NewString(reinterpret_cast<const jchar*>(wide.data()), static_cast<jsize>(wide.size()));
}

std::string stringText(JNIEnv* env, jstring text) {
  if (!text)
    return "null";
  jsize length = env->GetStringLength(text);
  const jchar* units = env->GetStringChars(text, nullptr);
  if (!units)
    return "no characters";
  std::wstring wide(reinterpret_cast<const wchar_t*>(units), static_cast<size_t>(length));
  env->ReleaseStringChars(text, units);
  return toUtf8(wide);
}

std::string field(const std::vector<std::string>& step, size_t index) {
  return index < step.size() ? step[index] : std::string();
}

// A text argument of a step as a jvalue of the descriptor's type.
jvalue argumentValue(JNIEnv* env, char type, const std::string& text) {
  jvalue value{};
  if (type == 'Z')
    value.z = text == "true" ? JNI_TRUE : JNI_FALSE;
  else if (type == 'I')
    value.i = std::strtol(text.c_str(), nullptr, 10);
  else
    value.l = text == "null" ? nullptr : javaString(env, text);
  return value;
}

// The parameter types of a descriptor, one letter each, arrays as the object letter L.
std::string parameterTypes(const std::string& descriptor) {
  std::string types;
  for (size_t position = 1; position < descriptor.size() && descriptor[position] != ')'; ++position) {
    size_t start = position;
    while (descriptor[position] == '[')
      ++position;
    if (descriptor[position] == 'L')
      position = descriptor.find(';', position);
    types += descriptor[start] == '[' ? 'L' : descriptor[start];
  }
  return types;
}

} // namespace

bool JniDriver::load(const std::wstring& libraryPath) {
  HMODULE library = LoadLibraryW(libraryPath.c_str());
  if (library) {
    FARPROC entry = GetProcAddress(library, "JNI_CreateJavaVM");
    createJavaVm_ = reinterpret_cast<CreateJavaVm>(reinterpret_cast<void*>(entry));
  }
  return createJavaVm_ != nullptr;
}

std::optional<std::string> JniDriver::run(const std::vector<std::string>& step) {
  const std::string& name = step.at(0);
  if (name == "option") {
    options_.push_back(field(step, 1));
    return "option";
  }
  if (name == "version") {
    version_ = std::strtol(field(step, 1).c_str(), nullptr, 16);
    return "version";
  }
  if (name == "create")
    return create();
  if (name == "sleep") {
    Sleep(std::strtoul(field(step, 1).c_str(), nullptr, 10));
    return "sleep";
  }
  if (!env_)
    return name + " without a VM";
  if (name == "findClass")
    return findClass(field(step, 1));
  if (name == "getStaticMethod")
    return getStaticMethod(step);
  if (name == "registerNatives")
    return registerNatives(step);
  if (name == "callMain")
    return callMain(step);
  if (name == "callStatic")
    return callStatic(step);
  if (name == "setProperty")
    return setProperty(field(step, 1), field(step, 2));
  if (name == "setStaticField")
    return setStaticField(field(step, 1), field(step, 2), field(step, 3));
  if (name == "unsupported")
    return unsupported();
  if (name == "deleteTwice")
    return deleteTwice();
  if (name == "destroy")
    return destroy();
  return std::nullopt;
}

std::string JniDriver::create() {
  std::vector<JavaVMOption> options(options_.size());
  for (size_t index = 0; index < options_.size(); ++index)
    options[index].optionString = options_[index].data();
  JavaVMInitArgs initArgs{};
  initArgs.version = version_;
  initArgs.nOptions = static_cast<jint>(options.size());
  initArgs.options = options.data();
  initArgs.ignoreUnrecognized = JNI_TRUE;
  JavaVM* vm = nullptr;
  void* env = nullptr;
  jint result = createJavaVm_(&vm, &env, &initArgs);
  // A failed second creation leaves the first VM in use.
  if (result == JNI_OK) {
    vm_ = vm;
    env_ = static_cast<JNIEnv*>(env);
  }
  return "create " + std::to_string(result);
}

std::string JniDriver::findClass(const std::string& name) {
  jclass found = env_->FindClass(name.c_str());
  if (!found) // the VM's NoClassDefFoundError, cleared as the launcher clears it
    return "findClass " + name + " null: " + pendingExceptionText();
  env_->DeleteLocalRef(found);
  return "findClass " + name + " found";
}

std::string JniDriver::getStaticMethod(const std::vector<std::string>& step) {
  jclass type = env_->FindClass(field(step, 1).c_str());
  if (!type)
    return "getStaticMethod no class: " + pendingExceptionText();
  jmethodID method = env_->GetStaticMethodID(type, field(step, 2).c_str(), field(step, 3).c_str());
  env_->DeleteLocalRef(type);
  return method ? "getStaticMethod found" : "getStaticMethod null: " + pendingExceptionText();
}

std::string JniDriver::registerNatives(const std::vector<std::string>& step) {
  jclass type = env_->FindClass(field(step, 1).c_str());
  if (!type)
    return "registerNatives no class";
  std::vector<std::string> texts(step.begin() + 2, step.end());
  std::vector<JNINativeMethod> methods;
  for (size_t index = 0; index + 1 < texts.size(); index += 2)
    methods.push_back({texts[index].data(), texts[index + 1].data(), reinterpret_cast<void*>(&boundNative)});
  jint result = env_->RegisterNatives(type, methods.data(), static_cast<jint>(methods.size()));
  return "registerNatives " + std::to_string(result);
}

std::string JniDriver::callMain(const std::vector<std::string>& step) {
  jclass type = env_->FindClass(field(step, 1).c_str());
  if (!type)
    return "callMain no class";
  jmethodID main = env_->GetStaticMethodID(type, "main", "([Ljava/lang/String;)V");
  if (!main)
    return "callMain no main";
  jclass stringClass = env_->FindClass(kStringClass);
  jobjectArray parameters = env_->NewObjectArray(static_cast<jsize>(step.size() - 2), stringClass, nullptr);
  for (size_t index = 2; index < step.size(); ++index) {
    jstring parameter = javaString(env_, step[index]);
    env_->SetObjectArrayElement(parameters, static_cast<jsize>(index - 2), parameter);
    env_->DeleteLocalRef(parameter);
  }
  env_->CallStaticVoidMethod(type, main, parameters); // through CallStaticVoidMethodV
  std::string thrown = pendingExceptionText();
  return thrown.empty() ? "callMain returned" : "callMain threw " + thrown;
}

std::string JniDriver::callStatic(const std::vector<std::string>& step) {
  jclass type = env_->FindClass(field(step, 1).c_str());
  if (!type)
    return "callStatic no class";
  std::string descriptor = field(step, 3);
  jmethodID method = env_->GetStaticMethodID(type, field(step, 2).c_str(), descriptor.c_str());
  if (!method)
    return "callStatic no method";
  std::string types = parameterTypes(descriptor);
  std::vector<jvalue> arguments;
  for (size_t index = 0; index < types.size(); ++index)
    arguments.push_back(argumentValue(env_, types[index], field(step, 4 + index)));
  std::string answer = "callStatic returned";
  if (descriptor.back() == 'V') {
    env_->CallStaticVoidMethodA(type, method, arguments.data());
  } else {
    jobject result = env_->CallStaticObjectMethodA(type, method, arguments.data());
    answer += " " + stringText(env_, static_cast<jstring>(result));
  }
  std::string thrown = pendingExceptionText();
  return thrown.empty() ? answer : "callStatic threw " + thrown;
}

std::string JniDriver::setProperty(const std::string& key, const std::string& value) {
  jclass system = env_->FindClass("java/lang/System");
  jmethodID method = system ? env_->GetStaticMethodID(system, "setProperty",
                                                      "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;")
                            : nullptr;
  if (!method)
    return "setProperty no method";
  // The variadic entry itself: the C++ wrapper of jni.h would go through the V form.
  jobject previous = env_->functions->CallStaticObjectMethod(env_, system, method, env_->NewStringUTF(key.c_str()),
                                                             javaString(env_, value));
  return "setProperty " + stringText(env_, static_cast<jstring>(previous));
}

std::string JniDriver::setStaticField(const std::string& className, const std::string& fieldName,
                                      const std::string& value) {
  jclass type = env_->FindClass(className.c_str());
  if (!type)
    return "setStaticField no class";
  jfieldID id = env_->GetStaticFieldID(type, fieldName.c_str(), "Ljava/lang/String;");
  if (!id)
    return "setStaticField no field";
  env_->SetStaticObjectField(type, id, javaString(env_, value));
  return "setStaticField set";
}

std::string JniDriver::unsupported() {
  // Recorders of slots with different argument sizes: under stdcall each must remove
  // exactly its own arguments, or this function returns to a broken stack.
  jint version = env_->GetVersion();
  jfloatArray numbers = env_->NewFloatArray(3);
  env_->SetStaticDoubleField(env_->FindClass(kStringClass), nullptr, 2.5);
  return "unsupported " + std::to_string(version) + (numbers ? " array" : " null");
}

std::string JniDriver::deleteTwice() {
  jstring text = env_->NewStringUTF("twice");
  env_->DeleteLocalRef(text);
  env_->DeleteLocalRef(text);
  return "deleteTwice";
}

std::string JniDriver::destroy() {
  jint result = vm_->DestroyJavaVM();
  env_ = nullptr;
  return "destroy " + std::to_string(result);
}

std::string JniDriver::pendingExceptionText() {
  jthrowable exception = env_->ExceptionOccurred();
  if (!exception)
    return {};
  // Only the exception functions are allowed while it is pending: describing clears it.
  env_->ExceptionDescribe();
  jclass type = env_->GetObjectClass(exception);
  jmethodID toString = type ? env_->GetMethodID(type, "toString", "()Ljava/lang/String;") : nullptr;
  std::string text = toString ? stringText(env_, static_cast<jstring>(env_->CallObjectMethod(exception, toString)))
                              : "(no toString)";
  env_->ExceptionClear();
  return text;
}

} // namespace standin
