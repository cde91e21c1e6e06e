#include "text/codepage.h"

// The host stands in for the Windows code page with Latin-1: every byte is one character,
// and characters above 0xFF cannot be represented.
namespace lnx {

std::wstring narrowToWide(const std::string& narrow) {
  std::wstring wide;
  wide.reserve(narrow.size());
  for (unsigned char c : narrow) wide.push_back(static_cast<wchar_t>(c));
  return wide;
}

bool wideToNarrow(const std::wstring& wide, std::string& out) {
  bool exact = true;
  out.clear();
  for (wchar_t c : wide) {
    if (static_cast<unsigned long>(c) > 0xFF) {
      out.push_back('?');
      exact = false;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return exact;
}

} // namespace lnx
