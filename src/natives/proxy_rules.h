#pragma once
// What the proxy natives hand back to the Java side: the texts for the slots of its result
// array, and the status of a proxy look-up for a URL. The natives ask WinHTTP; these rules
// are portable.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

// The status of every proxy query when WinHTTP's functions are not available.
constexpr uint32_t kProxyFunctionsMissing = 100000;
// WINHTTP_ACCESS_TYPE_NAMED_PROXY
constexpr uint32_t kNamedProxyAccessType = 3;

// The result array's slots from the first on: a text to store, or nothing where the slot
// keeps what it holds.
using ProxySlots = std::vector<std::optional<std::u16string>>;

// The current user's browser settings: "true" or "false" for automatic detection, then the
// configuration script URL, the proxy list and the bypass list. A text that is missing
// (null) or empty leaves its slot alone.
ProxySlots browserProxySlots(bool autoDetect, const char16_t* scriptUrl, const char16_t* proxyList,
                             const char16_t* bypassList);

// A proxy configuration (the default one, or the one found for a URL): "true" when the
// access type is a named proxy, else "false"; then the proxy list and the bypass list, each
// only when present and non-empty.
ProxySlots proxyInfoSlots(uint32_t accessType, const char16_t* proxyList, const char16_t* bypassList);

// Where a proxy look-up for a URL failed.
enum class AutoProxyStage : uint32_t { none = 0, openSession = 1, resolveProxy = 2 };

// The stage in the high 32 bits, the Windows error code in the low 32 bits.
int64_t autoProxyStatus(AutoProxyStage stage, uint32_t errorCode);

} // namespace lnx
