#pragma once
// An ASCII literal as narrow or wide text, for code written once for both string types.
#include <cstring>
#include <string>

namespace lnx {

template <class String> String asciiText(const char* text) { return String(text, text + std::strlen(text)); }

} // namespace lnx
