#pragma once
// printf-like formatting of the launcher's texts, the same on Windows and on the host.
// Conversions: %s wide text, %S narrow text (file-system code page), %d %i %u %x %X %p,
// %I64d %I64u, %c, %f with an optional precision (%.2f), and %%. Flags and widths are
// accepted for %d and %f ("%5d", "%.1f"). A conversion without a matching argument
// prints nothing; arguments are typed, so a mismatch cannot read garbage.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace lnx {

class FormatArg {
public:
  enum class Kind { Signed, Unsigned, Wide, Narrow, Pointer, Real };
  FormatArg(int v) : kind_(Kind::Signed), signed_(v) {}
  FormatArg(long v) : kind_(Kind::Signed), signed_(v) {}
  FormatArg(long long v) : kind_(Kind::Signed), signed_(v) {}
  FormatArg(unsigned v) : kind_(Kind::Unsigned), unsigned_(v) {}
  FormatArg(unsigned long v) : kind_(Kind::Unsigned), unsigned_(v) {}
  FormatArg(unsigned long long v) : kind_(Kind::Unsigned), unsigned_(v) {}
  FormatArg(double v) : kind_(Kind::Real), real_(v) {}
  FormatArg(const wchar_t* v) : kind_(Kind::Wide), wide_(v ? v : L"(null)") {}
  FormatArg(const std::wstring& v) : kind_(Kind::Wide), wide_(v.c_str()) {}
  FormatArg(const char* v) : kind_(Kind::Narrow), narrow_(v ? v : "(null)") {}
  FormatArg(const std::string& v) : kind_(Kind::Narrow), narrow_(v.c_str()) {}
  FormatArg(const void* v) : kind_(Kind::Pointer), pointer_(v) {}

  Kind kind() const { return kind_; }
  long long asSigned() const;
  unsigned long long asUnsigned() const;
  double asReal() const;
  std::wstring asWide() const;

private:
  Kind kind_;
  union {
    long long signed_;
    unsigned long long unsigned_;
    double real_;
    const wchar_t* wide_;
    const char* narrow_;
    const void* pointer_;
  };
};

std::wstring formatText(const wchar_t* format, std::initializer_list<FormatArg> args);

} // namespace lnx
