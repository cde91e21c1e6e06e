#include "lnxpack/text_convert.h"

#include "text/utf16.h"

namespace lnx::pack {

// Latin-1 on every platform, not the code page of the machine that builds: one project
// gives one setup file wherever lnxpack runs.
bool utf8ToPayloadNarrow(const std::string& utf8, std::string& narrow) {
  bool exact = true;
  narrow.clear();
  for (wchar_t c : utf8ToWide(utf8)) {
    exact = exact && static_cast<unsigned long>(c) <= 0xFF;
    narrow.push_back(static_cast<unsigned long>(c) <= 0xFF ? static_cast<char>(c) : '?');
  }
  return exact;
}

std::wstring payloadNarrowToWide(const std::string& narrow) {
  std::wstring wide;
  for (unsigned char c : narrow) wide.push_back(static_cast<wchar_t>(c));
  return wide;
}

std::string payloadNarrowToUtf8(const std::string& narrow) { return wideToUtf8(payloadNarrowToWide(narrow)); }

} // namespace lnx::pack
