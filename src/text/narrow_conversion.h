#pragma once
// How a wide text is converted to a code page so that a character the code page cannot
// hold is noticed. Most code pages take "no best fit" and a default character whose use
// is reported; UTF-8 (the ANSI code page a Windows 10/11 option sets) and GB18030 refuse
// both, and only "invalid characters" (a lone surrogate) can fail them; the ISO-2022
// family and UTF-7 take no flags at all.
namespace lnx {

struct NarrowConversion {
  unsigned long flags = 0;        // dwFlags of WideCharToMultiByte
  bool reportsDefaultChar = false; // pass "?" and ask whether it was used
};

constexpr unsigned long kNoBestFitChars = 0x400; // WC_NO_BEST_FIT_CHARS
constexpr unsigned long kErrorInvalidChars = 0x80; // WC_ERR_INVALID_CHARS

NarrowConversion narrowConversionFor(unsigned codePage);

} // namespace lnx
