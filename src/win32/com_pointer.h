#pragma once
// One owner per COM interface pointer: the reference is released when the owner goes.
#include <objbase.h>

#include <memory>

namespace lnx {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface> using ComPointer = std::unique_ptr<Interface, ComRelease>;

// The object's Interface, or null when it has none.
template <typename Interface> ComPointer<Interface> queryInterface(IUnknown* object) {
  void* found = nullptr;
  return ComPointer<Interface>(
      SUCCEEDED(object->QueryInterface(__uuidof(Interface), &found)) ? static_cast<Interface*>(found) : nullptr);
}

} // namespace lnx
