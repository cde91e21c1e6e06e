#pragma once
// Registry value data in the byte layout the registry stores (UTF-16 little-endian texts),
// converted from and to what the Java side's value objects carry. The registry natives
// make the calls; these rules are portable.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

// The data buffer of one read or write, in bytes.
constexpr size_t kRegistryValueBufferBytes = 100000;
// Units of a written REG_SZ or REG_EXPAND_SZ text before its terminator.
constexpr size_t kRegistryStringUnitLimit = 49999;
// Units a written REG_MULTI_SZ may use, terminators included.
constexpr size_t kRegistryMultiStringUnitLimit = 50000;

// REG_SZ / REG_EXPAND_SZ: size / 2 units, less a final NUL. Text stored without its
// terminator keeps its last character.
std::u16string registryText(const uint8_t* data, size_t size);

// REG_MULTI_SZ: the NUL-terminated texts in the data without its last unit, in order and
// empty ones kept ("a", NUL, "", NUL, "b", NUL, NUL gives "a", "", "b"); no data or a single
// NUL gives none.
std::vector<std::u16string> registryTexts(const uint8_t* data, size_t size);

// REG_DWORD: the first four bytes as a signed little-endian number; missing bytes count as 0.
int32_t registryDword(const uint8_t* data, size_t size);

// REG_SZ / REG_EXPAND_SZ data to write: the text cut at kRegistryStringUnitLimit units, and
// a NUL.
std::vector<uint8_t> registryTextData(const std::u16string& text);

// REG_MULTI_SZ data to write: every text followed by a NUL, then the final NUL. Nothing
// when a text is empty (it would end the list early) or when the texts would need more
// than kRegistryMultiStringUnitLimit units.
std::optional<std::vector<uint8_t>> registryTextsData(const std::vector<std::u16string>& texts);

} // namespace lnx
