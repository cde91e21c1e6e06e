#include "lnxpack/text_convert.h"

#include "text/codepage.h"
#include "text/utf16.h"

namespace lnx::pack {

bool utf8ToPayloadNarrow(const std::string& utf8, std::string& narrow) {
  return wideToNarrow(utf8ToWide(utf8), narrow);
}

std::string payloadNarrowToUtf8(const std::string& narrow) { return wideToUtf8(narrowToWide(narrow)); }

} // namespace lnx::pack
