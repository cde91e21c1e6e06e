#include "java_heap.h"

namespace jnifake {

JavaHeap::JavaHeap() : frames_(1) {}

JavaObject* JavaHeap::add(JavaObject object) {
  objects_.push_back(std::make_unique<JavaObject>(std::move(object)));
  return objects_.back().get();
}

jobject JavaHeap::reference(JavaObject* object, bool counted) {
  if (!object)
    return nullptr;
  auto created = std::make_unique<Reference>();
  created->target = object;
  if (counted) {
    created->frame = frames_.size() - 1;
    ++frames_.back().live;
  }
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
  if (resolve(reference, state)) {
    Reference& released = *references_.find(reference)->second;
    released.deleted = true;
    if (released.frame < frames_.size())
      --frames_[released.frame].live;
  }
  return state;
}

void JavaHeap::pushFrame(size_t capacity, bool pushed) {
  Frame frame;
  frame.capacity = capacity;
  frame.pushed = pushed;
  frames_.push_back(frame);
}

void JavaHeap::popFrame(bool deleteReferences) {
  if (frames_.size() == 1)
    return;
  size_t closing = frames_.size() - 1;
  for (auto& [handle, held] : references_)
    if (held->frame == closing) {
      held->frame = kUncounted;
      held->deleted = held->deleted || deleteReferences;
    }
  frames_.pop_back();
}

void JavaHeap::ensureCapacity(size_t capacity) {
  Frame& frame = frames_.back();
  if (frame.live + capacity > frame.capacity)
    frame.capacity = frame.live + capacity;
}

bool JavaHeap::frameOverflowed(size_t& live, size_t& capacity) {
  Frame& frame = frames_.back();
  if (frame.reported || frame.live <= frame.capacity)
    return false;
  frame.reported = true;
  live = frame.live;
  capacity = frame.capacity;
  return true;
}

} // namespace jnifake
