#pragma once
// Conversions between the 8-bit file-system code page and wide text. On Windows they use
// the code page of the file functions (ANSI or OEM), without best-fit mapping and with
// "?" for characters that cannot be represented; on the host the 8-bit side is Latin-1.
#include <string>

namespace lnx {

std::wstring narrowToWide(const std::string& narrow);

// Returns false when a character needed the replacement "?"; out holds the converted text
// in either case.
bool wideToNarrow(const std::wstring& wide, std::string& out);

} // namespace lnx
