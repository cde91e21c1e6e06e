#pragma once
// System libraries loaded early, before anything could plant a library of the same name
// where a later search would look (the entry and the natives both need them).
namespace lnx {

// Loads them once per process; failures are ignored.
void preloadSystemDlls();

} // namespace lnx
