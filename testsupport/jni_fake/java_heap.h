#pragma once
// The Java objects of the fake VM and the local references JNI hands out for them. A
// reference stays a distinct handle until DeleteLocalRef, so that a deleted or foreign
// reference is told apart from a live one. Objects live as long as the VM: test runs are
// short, and a native that keeps a stale reference then reads a recorded problem instead
// of freed memory.
#include <jni.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "class_registry.h"

namespace jnifake {

// constructed: an instance NewObject built, known by its class and its constructor's arguments.
enum class ObjectKind { classObject, string, objectArray, primitiveArray, throwable, constructed };

struct JavaObject;

// A constructor argument as the object built with it keeps it: a reference argument as the
// object it pointed to, so that deleting the caller's reference loses nothing.
struct KeptArgument {
  char type = 'L';                    // the parameter's descriptor letter: a primitive, 'L' or '['
  jvalue value{};                     // a primitive argument
  const JavaObject* object = nullptr; // a reference argument; null for null
};

struct JavaObject {
  ObjectKind kind = ObjectKind::string;
  // The object's class; for a class object, the class it stands for.
  const LoadedClass* type = nullptr;
  std::u16string text;      // a string's characters, a throwable's toString
  std::string elementClass; // an object array's element class
  std::vector<JavaObject*> elements;
  char elementType = 0;                // a primitive array's element type: 'Z', 'B', 'I', ...
  std::vector<jlong> values;           // a primitive array's elements, widened
  std::vector<KeptArgument> arguments; // a constructed instance's constructor arguments

  // The object's class where this VM knows it: not for class objects (java/lang/Class)
  // nor for arrays.
  const LoadedClass* knownClass() const { return kind == ObjectKind::classObject ? nullptr : type; }
  // An array's number of elements.
  size_t arrayLength() const { return kind == ObjectKind::primitiveArray ? values.size() : elements.size(); }
};

enum class ReferenceState { live, null, deleted, unknown };

// The local references a frame may hold without asking for more, as JNI guarantees.
constexpr size_t kLocalFrameCapacity = 16;

class JavaHeap {
public:
  JavaHeap();

  // Keeps the object for the life of the VM.
  JavaObject* add(JavaObject object);
  // A new local reference to object (null for null), counted in the innermost frame unless
  // it stands for an argument the Java side passes in.
  jobject reference(JavaObject* object, bool counted = true);
  // The object of a live reference; null (with the state) for anything else.
  JavaObject* resolve(jobject reference, ReferenceState& state) const;
  // DeleteLocalRef: the reference's state before the deletion.
  ReferenceState release(jobject reference);

  // Local frames: PushLocalFrame and a native method's own frame open one; the first frame
  // is the thread's outside any native method.
  // pushed: opened by PushLocalFrame (else a native method's own frame).
  void pushFrame(size_t capacity, bool pushed);
  // Closes the innermost frame (never the first). With deleteReferences (PopLocalFrame) its
  // references die; otherwise (a native method returning to tests) they stay valid but no
  // longer count.
  void popFrame(bool deleteReferences);
  bool innermostFramePushed() const { return frames_.back().pushed; }
  // EnsureLocalCapacity: the innermost frame may hold capacity references beyond its live ones.
  void ensureCapacity(size_t capacity);
  // True once when the innermost frame holds more live references than its capacity.
  bool frameOverflowed(size_t& live, size_t& capacity);

private:
  static constexpr size_t kUncounted = static_cast<size_t>(-1);
  struct Reference {
    JavaObject* target = nullptr;
    bool deleted = false;
    size_t frame = kUncounted; // the frame it counts in
  };
  struct Frame {
    size_t capacity = kLocalFrameCapacity;
    size_t live = 0;
    bool reported = false;
    bool pushed = false;
  };

  std::deque<std::unique_ptr<JavaObject>> objects_;
  std::map<jobject, std::unique_ptr<Reference>> references_;
  std::vector<Frame> frames_;
};

} // namespace jnifake
