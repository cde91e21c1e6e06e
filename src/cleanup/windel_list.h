#pragma once
// The lines of a temp-cleanup list: UTF-16LE code units (no byte-order mark is looked
// for), lines end at a line feed, trailing CR and LF characters are dropped.
#include <cstddef>
#include <string>
#include <vector>

namespace lnx {

// The longest line a list carries; the reader reads lines of at most this many units.
constexpr size_t kMaxWindelLine = 8191;

// Collects lines from the list's bytes as they are read, in pieces of any size. A line
// longer than kMaxWindelLine is skipped whole: a piece of a longer path could name another
// file, and a piece's empty rest would shift the sections that follow.
class WindelLineReader {
 public:
  void add(const unsigned char* bytes, size_t count);
  // The lines read, the last one also when no line feed ends it; empty lines are kept.
  std::vector<std::wstring> finish();

 private:
  void addUnit(wchar_t unit);
  void append(wchar_t unit);
  void endLine();

  std::vector<std::wstring> lines_;
  std::wstring line_;
  bool lineTooLong_ = false;
  bool lineStarted_ = false;
  size_t carriageReturns_ = 0; // read but not yet known to be inside the line
  int lowByte_ = -1; // the first byte of a unit whose second byte is still to come
};

} // namespace lnx
