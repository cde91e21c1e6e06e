#pragma once
// The function the executable exports for a native method, found by the decorated name
// the registration looks up (natives/binding_table.h); null when it is not exported.
#include <windows.h>

#include <string>

#include "natives/binding_table.h"

namespace lnx {

template <typename Function> Function nativeFunction(const std::string& classPath, const std::string& method) {
  for (const NativeClassEntry& entry : nativeBindingTable())
    for (const NativeMethodEntry& candidate : entry.methods)
      if (entry.classPath == classPath && candidate.name == method)
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(
            GetModuleHandleW(nullptr), decoratedExportName(entry.classPath, candidate.name, candidate.argumentBytes).c_str())));
  return nullptr;
}

} // namespace lnx
