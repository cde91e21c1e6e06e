#pragma once
// Text as it crosses the JNI boundary: Java strings are UTF-16; names, descriptors and
// NewStringUTF take modified UTF-8 (NUL as C0 80, a supplementary character as two
// encoded surrogates); VM options are in the ANSI code page.
#include <string>

namespace jnifake {

// Bytes that are no modified UTF-8 become U+FFFD each.
std::u16string fromModifiedUtf8(const std::string& bytes);
std::string toModifiedUtf8(const std::u16string& text);
std::u16string fromAnsi(const std::string& bytes);
std::u16string fromWide(const std::wstring& text);

} // namespace jnifake
