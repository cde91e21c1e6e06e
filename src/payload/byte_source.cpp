#include "payload/byte_source.h"

#include <cstring>

namespace lnx {

ReadResult MemoryByteSource::read(void* buffer, uint32_t count) {
  uint64_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  uint32_t n = static_cast<uint32_t>(available < count ? available : count);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return ReadResult{true, n, 0};
}

} // namespace lnx
