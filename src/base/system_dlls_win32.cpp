#include <windows.h>

#include "base/system_dlls.h"

namespace lnx {

void preloadSystemDlls() {
  static bool done = false;
  if (done) return;
  done = true;
  LoadLibraryW(L"davhlpr.dll");
  LoadLibraryW(L"fwbase.dll");
}

} // namespace lnx
