#include "text/utf16.h"

namespace lnx {

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

void appendCodePoint(std::wstring& out, uint32_t cp) {
  if (kWideIsUtf16 && cp > 0xFFFF) {
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(cp));
  }
}

// Walks the code points of wide text; unpaired surrogates pass through as they are.
template <class Visit> void forEachCodePoint(const std::wstring& text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = static_cast<uint32_t>(text[i]);
    if (kWideIsUtf16 && unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      uint32_t low = static_cast<uint32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        visit(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    visit(unit);
  }
}

} // namespace

std::wstring decodeUtf16Le(const uint8_t* bytes, size_t byteCount) {
  std::wstring out;
  out.reserve(byteCount / 2);
  for (size_t i = 0; i + 1 < byteCount; i += 2) {
    uint32_t unit = bytes[i] | (bytes[i + 1] << 8);
    if (!kWideIsUtf16 && unit >= 0xD800 && unit <= 0xDBFF && i + 3 < byteCount) {
      uint32_t low = bytes[i + 2] | (bytes[i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

std::string encodeUtf16Le(const std::wstring& text) {
  std::string out;
  auto put = [&out](uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  forEachCodePoint(text, [&](uint32_t cp) {
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  });
  return out;
}

std::string wideToUtf8(const std::wstring& text) {
  std::string out;
  forEachCodePoint(text, [&out](uint32_t cp) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  });
  return out;
}

std::wstring utf8ToWide(const std::string& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || (extra > 0 && i + extra >= text.size())) {
      out.push_back(static_cast<wchar_t>(0xFFFD)); // a stray or cut sequence
      ++i;
      continue;
    }
    uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    appendCodePoint(out, cp);
    i += extra + 1;
  }
  return out;
}

} // namespace lnx
