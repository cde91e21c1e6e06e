#include <gtest/gtest.h>

#include "text/format_text.h"
#include "text/narrow_conversion.h"
#include "text/utf16.h"

namespace lnx {
namespace {

TEST(FormatText, LauncherConversions) {
  EXPECT_EQ(L"Using manual temp dir C:\\t (C:\\t)",
            formatText(L"Using manual temp dir %s (%S)", {L"C:\\t", "C:\\t"}));
  EXPECT_EQ(L"checksums: 4294967295 7 -1 7",
            formatText(L"checksums: %u %u %d %d", {0xFFFFFFFFu, 7u, -1, 7}));
  EXPECT_EQ(L"verifying integrity length 5000000000",
            formatText(L"verifying integrity length %I64d", {5000000000LL}));
  EXPECT_EQ(L"1.50 MB (12.3%)", formatText(L"%.2f MB (%.1f%%)", {1.5, 12.34}));
  EXPECT_EQ(L"error 5 0\n", formatText(L"error %d %d\n", {5, 0}));
}

TEST(FormatText, MissingArgumentsAndUnknownConversionsAreHarmless) {
  EXPECT_EQ(L"a  b", formatText(L"a %d b", {}));
  EXPECT_EQ(L"%q 1", formatText(L"%q %d", {1}));
  EXPECT_EQ(L"end %", formatText(L"end %", {}));
}

TEST(Utf16, RoundTripsIncludingSurrogatePairs) {
  const std::wstring text = L"a\u00e9\u4e2d\U0001F600z";
  std::string bytes = encodeUtf16Le(text);
  EXPECT_EQ(12u, bytes.size());
  EXPECT_EQ(text, decodeUtf16Le(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_EQ("a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80z", wideToUtf8(text));
  EXPECT_EQ(text, utf8ToWide(wideToUtf8(text)));
}

} // namespace
} // namespace lnx

namespace lnx {
namespace {

TEST(NarrowConversion, UnicodeCodePagesTakeNoBestFitFlagsNorADefaultCharacter) {
  // With WC_NO_BEST_FIT_CHARS or a default character UTF-8 fails every conversion.
  for (unsigned codePage : {65001u, 54936u}) {
    EXPECT_EQ(kErrorInvalidChars, narrowConversionFor(codePage).flags) << codePage;
    EXPECT_FALSE(narrowConversionFor(codePage).reportsDefaultChar) << codePage;
  }
  for (unsigned codePage : {65000u, 50220u, 50229u, 57002u, 57011u, 42u}) {
    EXPECT_EQ(0u, narrowConversionFor(codePage).flags) << codePage;
    EXPECT_FALSE(narrowConversionFor(codePage).reportsDefaultChar) << codePage;
  }
  for (unsigned codePage : {1252u, 932u, 850u, 1251u}) {
    EXPECT_EQ(kNoBestFitChars, narrowConversionFor(codePage).flags) << codePage;
    EXPECT_TRUE(narrowConversionFor(codePage).reportsDefaultChar) << codePage;
  }
}

} // namespace
} // namespace lnx
