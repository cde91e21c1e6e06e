#include <windows.h>

#include "text/codepage.h"
#include "text/narrow_conversion.h"

namespace lnx {

namespace {
UINT fileApiCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }
} // namespace

std::wstring narrowToWide(const std::string& narrow) {
  if (narrow.empty()) return std::wstring();
  UINT codePage = fileApiCodePage();
  int length = MultiByteToWideChar(codePage, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(codePage, 0, narrow.data(), static_cast<int>(narrow.size()), &wide[0], length);
  return wide;
}

bool wideToNarrow(const std::wstring& wide, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  UINT codePage = fileApiCodePage();
  NarrowConversion conversion = narrowConversionFor(codePage == CP_ACP ? GetACP() : GetOEMCP());
  BOOL usedDefault = FALSE;
  const char* defaultChar = conversion.reportsDefaultChar ? "?" : nullptr;
  BOOL* reportUse = conversion.reportsDefaultChar ? &usedDefault : nullptr;
  int length = WideCharToMultiByte(codePage, conversion.flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                   defaultChar, reportUse);
  if (length <= 0) return false;
  out.assign(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, conversion.flags, wide.data(), static_cast<int>(wide.size()), &out[0], length,
                      defaultChar, reportUse);
  return !usedDefault;
}

} // namespace lnx
