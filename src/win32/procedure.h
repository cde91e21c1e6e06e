#pragma once
// Functions looked up by name at run time, for those a Windows version or a DLL may lack.
#include <windows.h>

namespace lnx {

// The module's function of that name; null when the module or the function is missing.
template <class Function> Function procedureOf(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Looks the function up into function; true when it was found.
template <class Function> bool lookUp(HMODULE module, const char* name, Function& function) {
  function = procedureOf<Function>(module, name);
  return function != nullptr;
}

// A function of an already loaded system DLL; null when it is not there.
template <class Function> Function systemFunction(const wchar_t* module, const char* name) {
  return procedureOf<Function>(GetModuleHandleW(module), name);
}

} // namespace lnx
