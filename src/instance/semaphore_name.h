#pragma once
// The name of the semaphore that every run of a setup file owns: a namespace prefix, a key
// made from the executable's path, and in the normal mode a counter that makes it unique
// among copies of the same file running at once.
#include <string>

namespace lnx {

// The last counter tried; its name is kept even when it exists already.
constexpr int kLastSemaphoreCounter = 100000;

// "Global\" or "Local\".
std::string semaphorePrefix(bool globalNamespace);

// The lower-cased path with every "\" and every space turned into "_" (the prefix's own
// "\" is not part of it).
std::string semaphorePathKey(const std::string& lowerCasePath);

// Prefix, key and, when counter is given (not negative), the counter in decimal.
std::string semaphoreName(const std::string& prefix, const std::string& pathKey, int counter);

// The named semaphores of the system, as the normal mode's search for a free name uses them.
class SemaphoreCreator {
public:
  virtual ~SemaphoreCreator() = default;
  // Creates (or opens) the semaphore and keeps its handle; true when it existed already.
  virtual bool createExisted(const std::string& name) = 0;
  // Closes the handle the last call kept.
  virtual void closeLast() = 0;
};

// Creates prefix + key + 0, 1, 2, ... until a name is new, and returns it with its handle
// kept; at the last counter the handle is kept whether new or not.
std::string claimNumberedSemaphore(SemaphoreCreator& creator, const std::string& prefix, const std::string& pathKey);

} // namespace lnx
