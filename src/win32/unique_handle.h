#pragma once
// One owner per Win32 handle: UniqueHandle<Traits> closes with Traits::close unless the
// value is Traits::invalid(). Kernel handles that use INVALID_HANDLE_VALUE (files) and
// those that use null (processes, threads, pipes) get their own traits.
#include <windows.h>

#include <utility>

namespace lnx {

template <class Traits> class UniqueHandle {
public:
  using Value = typename Traits::Value;
  UniqueHandle() = default;
  explicit UniqueHandle(Value value) : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(std::exchange(other.value_, Traits::invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(std::exchange(other.value_, Traits::invalid()));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Value get() const { return value_; }
  bool valid() const { return value_ != Traits::invalid(); }
  void reset(Value value = Traits::invalid()) {
    if (valid()) Traits::close(value_);
    value_ = value;
  }
  Value release() { return std::exchange(value_, Traits::invalid()); }

private:
  Value value_ = Traits::invalid();
};

struct FileHandleTraits {
  using Value = HANDLE;
  static Value invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Value h) { CloseHandle(h); }
};
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value invalid() { return nullptr; }
  static void close(Value h) { CloseHandle(h); }
};
struct FindHandleTraits {
  using Value = HANDLE;
  static Value invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Value h) { FindClose(h); }
};

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value invalid() { return nullptr; }
  static void close(Value h) { RegCloseKey(h); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;

struct LocalMemoryTraits {
  using Value = HLOCAL;
  static Value invalid() { return nullptr; }
  static void close(Value memory) { LocalFree(memory); }
};
struct LibraryTraits {
  using Value = HMODULE;
  static Value invalid() { return nullptr; }
  static void close(Value module) { FreeLibrary(module); }
};
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
using Library = UniqueHandle<LibraryTraits>;

} // namespace lnx
