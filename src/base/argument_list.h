#pragma once
// The argument list every layer reads: the wide command line split into tokens.
#include <string>
#include <vector>

namespace lnx {

using ArgumentList = std::vector<std::wstring>;

// Appends the tokens of commandLine to args; returns 0. Only the space separates; single
// and double quotes group; there is no escape character; tabs are ordinary characters.
// Text glued to a closing quote starts a new token ("a b"c gives `a b` and `c`).
int splitCommandLine(const std::wstring& commandLine, ArgumentList& args);

} // namespace lnx
