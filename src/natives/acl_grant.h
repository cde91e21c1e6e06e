#pragma once
// What addACE grants, without Win32: the generic rights of its four flags and the SID a
// principal type stands for. The ACL natives build the entry and make the calls.
#include <cstdint>
#include <optional>
#include <vector>

namespace lnx {

constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kGenericExecute = 0x20000000;
constexpr uint32_t kGenericAll = 0x10000000;

// The principal type whose principal argument names the principal (a SID text or an
// account name).
constexpr int kNamedPrincipalType = 3;

// The rights of the flags that are set, or-ed; 0 when none is.
uint32_t grantedRights(bool read, bool write, bool execute, bool all);

// A SID by its identifier authority (the last byte of the six; the others are 0) and its
// sub-authorities.
struct WellKnownSid {
  uint8_t authority = 0;
  std::vector<uint32_t> subAuthorities;
};

// The SID of a principal type: 1 Authenticated Users (S-1-5-11), 5 the built-in Power
// Users group (S-1-5-32-547), any other type Everyone (S-1-1-0); nothing for the named
// principal type.
std::optional<WellKnownSid> wellKnownSid(int principalType);

} // namespace lnx
