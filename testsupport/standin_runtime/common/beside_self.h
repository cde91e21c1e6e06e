#pragma once
// Files beside a stand-in's own module (exe or dll): the configuration a test puts there
// and the logs it reads back, so that every runtime directory of a test run is separate.
#include <string>

namespace standin {

// The full path of `name` in the directory of the module this code is linked into.
std::wstring besideSelf(const std::wstring& name);

} // namespace standin
