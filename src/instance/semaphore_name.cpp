#include "instance/semaphore_name.h"

namespace lnx {

std::string semaphorePrefix(bool globalNamespace) { return globalNamespace ? "Global\\" : "Local\\"; }

std::string semaphorePathKey(const std::string& lowerCasePath) {
  std::string key = lowerCasePath;
  for (char& c : key)
    if (c == '\\' || c == ' ') c = '_';
  return key;
}

std::string semaphoreName(const std::string& prefix, const std::string& pathKey, int counter) {
  std::string name = prefix + pathKey;
  if (counter >= 0) name += std::to_string(counter);
  return name;
}

std::string claimNumberedSemaphore(SemaphoreCreator& creator, const std::string& prefix, const std::string& pathKey) {
  for (int counter = 0;; ++counter) {
    std::string name = semaphoreName(prefix, pathKey, counter);
    if (!creator.createExisted(name) || counter == kLastSemaphoreCounter) return name;
    creator.closeLast();
  }
}

} // namespace lnx
