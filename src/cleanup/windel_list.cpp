#include "cleanup/windel_list.h"

namespace lnx {

void WindelLineReader::add(const unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (lowByte_ < 0) {
      lowByte_ = bytes[i];
      continue;
    }
    addUnit(static_cast<wchar_t>(lowByte_ | (bytes[i] << 8)));
    lowByte_ = -1;
  }
}

void WindelLineReader::addUnit(wchar_t unit) {
  lineStarted_ = true;
  if (unit == L'\n') {
    endLine();
    return;
  }
  // Carriage returns count only once a unit follows them: trailing ones are dropped.
  if (unit == L'\r') {
    ++carriageReturns_;
    return;
  }
  for (; carriageReturns_ > 0; --carriageReturns_) append(L'\r');
  append(unit);
}

void WindelLineReader::append(wchar_t unit) {
  if (lineTooLong_) return;
  if (line_.size() == kMaxWindelLine) {
    lineTooLong_ = true;
    line_.clear();
    return;
  }
  line_.push_back(unit);
}

void WindelLineReader::endLine() {
  if (!lineTooLong_) lines_.push_back(line_);
  line_.clear();
  lineTooLong_ = false;
  lineStarted_ = false;
  carriageReturns_ = 0;
}

std::vector<std::wstring> WindelLineReader::finish() {
  // A last odd byte is half a unit and is no text.
  if (lineStarted_) endLine();
  lowByte_ = -1;
  return std::move(lines_);
}

} // namespace lnx
