#pragma once
// The configured runtime search sequence ("Y;EJAVA_HOME;A..\jre;") and the small text
// rules of the search.
#include <string>
#include <vector>

namespace lnx {

struct SearchEntry {
  char type;        // A, B, R directory; E environment variable; S search path; Y registry
  std::string text; // the rest of the entry as configured
};

// Entries separated by ";"; empty entries are skipped.
std::vector<SearchEntry> parseSearchSequence(const std::string& sequence);

// The relative pass retries B entries, and A and R entries whose text is not absolute:
// longer than one character with ":" second, or starting with two backslashes.
bool takesPartInRelativePass(const SearchEntry& entry);

// The first line of a location file, without trailing carriage returns and line feeds.
std::string locationFileLine(const std::string& content);

} // namespace lnx
