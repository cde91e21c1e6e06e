#pragma once
// The locale for messages and VM properties, from a Windows language id.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

// The language table's locale for an id: an exact row, else the row of the primary
// language (id & 0x3FF), else "en".
std::string localeForLanguageId(uint16_t id);

// The option that asks for the format locale (with "true") instead of the display language.
inline const std::wstring kFormatAsDefaultOption = L"-Dsun.locale.formatasdefault=";

// The last argument that starts with "-Dsun.locale.formatasdefault=" decides; true only
// for the exact value "true".
bool formatAsDefaultRequested(const std::vector<std::wstring>& args);

// Chooses and logs the locale: the display language when known and the format locale is
// not requested, else the format locale.
std::string chooseLocaleFromIds(uint16_t formatLocaleId, std::optional<uint16_t> displayLanguageId,
                                const std::vector<std::wstring>* args);

// The chosen language (two characters) and, for a five-character locale, the country.
void setChosenLocale(const std::string& locale);
bool getChosenLanguage(std::string& language);
bool getChosenCountry(std::string& country);

} // namespace lnx
