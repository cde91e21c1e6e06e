#include "text/format_text.h"

#include <cstdio>
#include <cwchar>

#include "text/codepage.h"

namespace lnx {

long long FormatArg::asSigned() const {
  switch (kind_) {
  case Kind::Signed: return signed_;
  case Kind::Unsigned: return static_cast<long long>(unsigned_);
  case Kind::Real: return static_cast<long long>(real_);
  case Kind::Pointer: return static_cast<long long>(reinterpret_cast<uintptr_t>(pointer_));
  default: return 0;
  }
}

unsigned long long FormatArg::asUnsigned() const {
  return kind_ == Kind::Unsigned ? unsigned_ : static_cast<unsigned long long>(asSigned());
}

double FormatArg::asReal() const {
  switch (kind_) {
  case Kind::Real: return real_;
  case Kind::Unsigned: return static_cast<double>(unsigned_);
  default: return static_cast<double>(asSigned());
  }
}

std::wstring FormatArg::asWide() const {
  switch (kind_) {
  case Kind::Wide: return wide_;
  case Kind::Narrow: return narrowToWide(narrow_);
  default: return std::wstring();
  }
}

namespace {

std::wstring widenAscii(const char* text) {
  std::wstring out;
  for (; *text; ++text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
  return out;
}

// Formats one numeric conversion through the C library with a narrow pattern built from
// validated flags, width and precision only.
std::wstring formatNumber(const std::string& flagsWidthPrecision, char conversion,
                          const FormatArg& arg) {
  char pattern[48];
  char buffer[128];
  switch (conversion) {
  case 'd':
  case 'i':
    std::snprintf(pattern, sizeof pattern, "%%%slld", flagsWidthPrecision.c_str());
    std::snprintf(buffer, sizeof buffer, pattern, arg.asSigned());
    break;
  case 'u':
  case 'x':
  case 'X':
    std::snprintf(pattern, sizeof pattern, "%%%sll%c", flagsWidthPrecision.c_str(), conversion);
    std::snprintf(buffer, sizeof buffer, pattern, arg.asUnsigned());
    break;
  case 'p':
    std::snprintf(buffer, sizeof buffer, "%08llX", arg.asUnsigned());
    break;
  default: // f
    std::snprintf(pattern, sizeof pattern, "%%%sf", flagsWidthPrecision.c_str());
    std::snprintf(buffer, sizeof buffer, pattern, arg.asReal());
    break;
  }
  return widenAscii(buffer);
}

} // namespace

std::wstring formatText(const wchar_t* format, std::initializer_list<FormatArg> args) {
  std::wstring out;
  auto next = args.begin();
  for (const wchar_t* p = format; *p; ++p) {
    if (*p != L'%') {
      out.push_back(*p);
      continue;
    }
    const wchar_t* start = p++;
    if (*p == L'%') {
      out.push_back(L'%');
      continue;
    }
    std::string flagsWidthPrecision;
    while (*p && (wcschr(L"-+ #0123456789.", *p) != nullptr)) {
      if (flagsWidthPrecision.size() < 16) flagsWidthPrecision.push_back(static_cast<char>(*p));
      ++p;
    }
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') p += 3;
    while (*p == L'l' || *p == L'h') ++p;
    wchar_t conversion = *p;
    if (conversion == 0 || wcschr(L"sSdiuxXpcf", conversion) == nullptr) {
      out.append(start, conversion == 0 ? p : p + 1); // not a conversion we know: keep it
      if (conversion == 0) break;
      continue;
    }
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    switch (conversion) {
    case L's':
    case L'S': out += arg.asWide(); break;
    case L'c': out.push_back(static_cast<wchar_t>(arg.asSigned())); break;
    default: out += formatNumber(flagsWidthPrecision, static_cast<char>(conversion), arg); break;
    }
  }
  return out;
}

} // namespace lnx
