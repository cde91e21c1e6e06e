// The in-module export the VM creation calls to bind the native methods.
#include <windows.h>

#include "natives/native_registration.h"

namespace {

void* exportedFunction(void* module, const std::string& decoratedName) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), decoratedName.c_str()));
}

} // namespace

// Exported under its plain name; the natives are looked up in module's export table.
extern "C" __declspec(dllexport) bool registerNatives(JNIEnv* env, HMODULE module, lnx::ErrorReporter report) {
  return lnx::registerNativeTable(env, exportedFunction, module, report);
}
