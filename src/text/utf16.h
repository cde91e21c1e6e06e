#pragma once
// UTF-16LE bytes <-> wide text and UTF-8, correct for 16-bit (Windows) and 32-bit (Linux) wchar_t.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lnx {

std::wstring decodeUtf16Le(const uint8_t* bytes, size_t byteCount);
std::string encodeUtf16Le(const std::wstring& text);
std::string wideToUtf8(const std::wstring& text);
std::wstring utf8ToWide(const std::string& text);

} // namespace lnx
