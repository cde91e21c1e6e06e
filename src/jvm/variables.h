#pragma once
// The launcher's variables replaced in a text with this process's values: the executable's
// directory, the TempDir, the JVM home, the temporary base and the environment.
#include <cstddef>
#include <string>

#include "jvm/variable_expansion.h"

namespace lnx {

// shortForms takes the executable's directory and the temporary base from their 8-bit
// names, for texts that end up in 8-bit VM options. Asks for the temporary base on every
// call, so a run without one ends here with message 1015.
void expandVariablesW(std::wstring& text, bool shortForms, size_t capacity = kExpansionBufferChars);
void expandVariables(std::string& text, size_t capacity = kExpansionBufferChars);

} // namespace lnx
