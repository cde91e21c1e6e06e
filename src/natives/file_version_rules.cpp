#include "natives/file_version_rules.h"

namespace lnx {

int compareVersionNumbers(FileVersionNumber first, FileVersionNumber second) {
  if (first.mostSignificant != second.mostSignificant)
    return first.mostSignificant > second.mostSignificant ? kFirstVersionHigher : kSecondVersionHigher;
  if (first.leastSignificant != second.leastSignificant)
    return first.leastSignificant > second.leastSignificant ? kFirstVersionHigher : kSecondVersionHigher;
  return kVersionsEqual;
}

} // namespace lnx
