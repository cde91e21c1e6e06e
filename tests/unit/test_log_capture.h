#pragma once
// Records the lines portable code writes to the log, for the duration of a test.
#include <string>
#include <vector>

#include "log/log.h"

namespace lnx::test {

class LogCapture {
public:
  LogCapture() {
    lines().clear();
    setLogSink(&record);
  }
  ~LogCapture() { setLogSink(nullptr); }
  const std::vector<std::wstring>& captured() const { return lines(); }
  bool contains(const std::wstring& line) const {
    for (const auto& l : lines())
      if (l == line) return true;
    return false;
  }

private:
  static std::vector<std::wstring>& lines() {
    static std::vector<std::wstring> all;
    return all;
  }
  static void record(LineKind kind, const std::wstring& message) {
    lines().push_back((kind == LineKind::Error ? L"ERROR: " : L"") + message);
  }
};

} // namespace lnx::test
