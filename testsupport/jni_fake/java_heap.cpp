#include "java_heap.h"

namespace jnifake {

JavaObject* JavaHeap::add(JavaObject object) {
  objects_.push_back(std::make_unique<JavaObject>(std::move(object)));
  return objects_.back().get();
}

jobject JavaHeap::reference(JavaObject* object) {
  if (!object)
    return nullptr;
  auto created = std::make_unique<Reference>();
  created->target = object;
  // The handle is the address of its own record: unique while the VM lives.
  jobject handle = reinterpret_cast<jobject>(created.get());
  references_[handle] = std::move(created);
  return handle;
}

JavaObject* JavaHeap::resolve(jobject reference, ReferenceState& state) const {
  if (!reference) {
    state = ReferenceState::null;
    return nullptr;
  }
  auto found = references_.find(reference);
  if (found == references_.end()) {
    state = ReferenceState::unknown;
    return nullptr;
  }
  if (found->second->deleted) {
    state = ReferenceState::deleted;
    return nullptr;
  }
  state = ReferenceState::live;
  return found->second->target;
}

ReferenceState JavaHeap::release(jobject reference) {
  ReferenceState state;
  if (resolve(reference, state))
    references_.find(reference)->second->deleted = true;
  return state;
}

} // namespace jnifake
