#include "natives/native_registration.h"

#include <vector>

#include "natives/binding_table.h"
#include "text/codepage.h"

namespace lnx {

namespace {

std::wstring wide(const std::string& ascii) { return narrowToWide(ascii); }

bool registerClass(JNIEnv* env, const NativeClassEntry& entry, NativeFunctionLookup lookup, void* context,
                   ErrorReporter report) {
  jclass javaClass = env->FindClass(entry.classPath);
  if (!javaClass) {
    report((L"could not load class " + wide(entry.classPath)).c_str(), 0);
    return false;
  }
  std::vector<JNINativeMethod> records;
  for (const NativeMethodEntry& method : entry.methods) {
    void* function = lookup(context, nativeExportName(entry.classPath, method.name, method.argumentBytes));
    if (!function) {
      report((L"did not find " + wide(undecoratedName(entry.classPath, method.name))).c_str(), 0);
      env->DeleteLocalRef(javaClass);
      return false;
    }
    records.push_back({const_cast<char*>(method.name), const_cast<char*>(method.descriptor), function});
  }
  jint result = env->RegisterNatives(javaClass, records.data(), static_cast<jint>(records.size()));
  // Bound methods stay bound without the reference; 15 of them would outgrow a local frame.
  env->DeleteLocalRef(javaClass);
  if (result != 0) {
    report((L"register " + wide(entry.classPath) + L" failed %d").c_str(), static_cast<int>(result));
    return false;
  }
  return true;
}

} // namespace

bool registerNativeTable(JNIEnv* env, NativeFunctionLookup lookup, void* context, ErrorReporter report) {
  for (const NativeClassEntry& entry : nativeBindingTable())
    if (!registerClass(env, entry, lookup, context, report)) return false;
  return true;
}

} // namespace lnx
