#pragma once
// Builds Payload records in memory, in exactly the form RecordReader reads them.
#include <cstdint>
#include <string>
#include <vector>

namespace lnx {

class RecordWriter {
public:
  void writeInt(int32_t value);
  void writeLong(int64_t value);
  void writeString(const std::string& narrow);
  void writeWString(const std::wstring& wide); // UTF-16LE
  void writeBytes(const uint8_t* data, size_t size);
  std::vector<uint8_t>& bytes() { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
};

} // namespace lnx
