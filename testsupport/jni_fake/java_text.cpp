#include "java_text.h"

#include <windows.h>

namespace jnifake {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

} // namespace

std::u16string fromModifiedUtf8(const std::string& bytes) {
  std::u16string text;
  size_t index = 0;
  auto at = [&](size_t offset) { return static_cast<unsigned char>(bytes[index + offset]); };
  while (index < bytes.size()) {
    unsigned char lead = at(0);
    size_t left = bytes.size() - index;
    if (lead < 0x80 && lead != 0) {
      text += static_cast<char16_t>(lead);
      index += 1;
    } else if ((lead & 0xE0) == 0xC0 && left >= 2 && isContinuation(at(1))) {
      text += static_cast<char16_t>(((lead & 0x1F) << 6) | (at(1) & 0x3F));
      index += 2;
    } else if ((lead & 0xF0) == 0xE0 && left >= 3 && isContinuation(at(1)) && isContinuation(at(2))) {
      text += static_cast<char16_t>(((lead & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F));
      index += 3;
    } else {
      text += kReplacement;
      index += 1;
    }
  }
  return text;
}

std::string toModifiedUtf8(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    if (unit != 0 && unit < 0x80) {
      bytes += static_cast<char>(unit);
    } else if (unit < 0x800) {
      bytes += static_cast<char>(0xC0 | (unit >> 6));
      bytes += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      bytes += static_cast<char>(0xE0 | (unit >> 12));
      bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return bytes;
}

std::u16string fromAnsi(const std::string& bytes) {
  if (bytes.empty())
    return {};
  int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
  return fromWide(wide);
}

std::u16string fromWide(const std::wstring& text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
  return std::u16string(text.begin(), text.end());
}

} // namespace jnifake
