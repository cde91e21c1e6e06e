#pragma once
// How version texts are split into numbers, compared with the configured bounds and
// ordered against each other, and which of them count as beta versions.
#include <cstdint>
#include <string>
#include <vector>

namespace lnx {

using VersionList = std::vector<int32_t>;

// Minimum and maximum as parsed from configuration entries 126 and 127; an empty list is
// no bound.
struct VersionBounds {
  VersionList minimum;
  VersionList maximum;
};

// Appends the components of text: pieces between runs of ".", "_", "-" and "+", each read
// like atoi ("b09" and "ea" give 0). "1.8.0_201-b09" gives 1, 8, 0, 201, 0.
void parseVersion(const std::string& text, VersionList& list);

VersionBounds parseVersionBounds(const std::string& minimum, const std::string& maximum);

// Inclusive, component by component over the bound's length. A version shorter than the
// bound passes in prefix mode as far as it matches; otherwise its missing components are 0.
bool checkVersionBound(const VersionList& bound, const VersionList& version, bool isMaximum, bool prefixMode);

// For registry key names and CurrentVersion values, which may be short ("1.8").
bool isVersionInRange(const std::string& version, const VersionBounds& bounds);

// For the full version of a java.exe: the beta rule (unless allowBeta or entry 130), then
// both bounds with missing components counted as 0.
bool isVersionAllowed(const std::string& version, const VersionBounds& bounds, bool allowBeta);

// True when a orders strictly after b; a longer version that matches as far as b goes is
// greater ("1.8.0" > "1.8"), equal texts are not.
bool isVersionGreater(const std::string& a, const std::string& b);

} // namespace lnx
