#pragma once
// Privileges of the process token.

namespace lnx {

// Enables or disables one privilege of the process token for the rest of the process's
// life. False when the token cannot be opened or adjusted, or does not hold the privilege.
bool enablePrivilege(const wchar_t* privilegeName, bool enable);

} // namespace lnx
