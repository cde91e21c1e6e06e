#pragma once
// Sequential, positionable input for the Payload readers: the launcher's own file on
// Windows, a byte buffer in the builder and in tests.
#include <cstdint>
#include <vector>

namespace lnx {

struct ReadResult {
  bool ok;              // false when the read call itself failed
  uint32_t bytesRead;   // may be short at the end of the data
  uint32_t systemError; // the platform's error code of a failed call, else 0
};

class ByteSource {
public:
  virtual ~ByteSource() = default;
  virtual void seek(uint64_t position) = 0; // absolute; positions past the end read nothing
  virtual uint64_t position() const = 0;
  virtual uint64_t size() const = 0;
  virtual ReadResult read(void* buffer, uint32_t count) = 0;
};

class MemoryByteSource : public ByteSource {
public:
  explicit MemoryByteSource(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  void seek(uint64_t position) override { position_ = position; }
  uint64_t position() const override { return position_; }
  uint64_t size() const override { return bytes_.size(); }
  ReadResult read(void* buffer, uint32_t count) override;

private:
  const std::vector<uint8_t>& bytes_;
  uint64_t position_ = 0;
};

} // namespace lnx
