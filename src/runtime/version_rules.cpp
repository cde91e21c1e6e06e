#include "runtime/version_rules.h"

#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"

namespace lnx {

namespace {

VersionList parsed(const std::string& text) {
  VersionList list;
  parseVersion(text, list);
  return list;
}

bool looksLikeBeta(const std::string& version) {
  // A plain substring test on purpose: "release" and "src" match too.
  for (const char* marker : {"beta", "ea", "rc"})
    if (version.find(marker) != std::string::npos) return true;
  return false;
}

} // namespace

void parseVersion(const std::string& text, VersionList& list) {
  const char* separators = "._-+";
  size_t start = text.find_first_not_of(separators);
  while (start != std::string::npos) {
    size_t end = text.find_first_of(separators, start);
    std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    list.push_back(parseConfigInt(piece));
    start = end == std::string::npos ? end : text.find_first_not_of(separators, end);
  }
}

VersionBounds parseVersionBounds(const std::string& minimum, const std::string& maximum) {
  return VersionBounds{parsed(minimum), parsed(maximum)};
}

bool checkVersionBound(const VersionList& bound, const VersionList& version, bool isMaximum, bool prefixMode) {
  for (size_t i = 0; i < bound.size(); ++i) {
    if (i >= version.size() && prefixMode) return true;
    int32_t component = i < version.size() ? version[i] : 0;
    if (component != bound[i]) return isMaximum ? component < bound[i] : component > bound[i];
  }
  return true;
}

bool isVersionInRange(const std::string& version, const VersionBounds& bounds) {
  VersionList list = parsed(version);
  return checkVersionBound(bounds.minimum, list, false, true) && checkVersionBound(bounds.maximum, list, true, true);
}

bool isVersionAllowed(const std::string& version, const VersionBounds& bounds, bool allowBeta) {
  if (!allowBeta && getConfigInt(config::allowBeta) == 0 && looksLikeBeta(version)) {
    logPrint(L"beta vm not allowed");
    return false;
  }
  VersionList list = parsed(version);
  return checkVersionBound(bounds.minimum, list, false, false) && checkVersionBound(bounds.maximum, list, true, false);
}

bool isVersionGreater(const std::string& a, const std::string& b) {
  VersionList first = parsed(a), second = parsed(b);
  for (size_t i = 0; i < first.size(); ++i) {
    if (i >= second.size() || first[i] > second[i]) return true;
    if (first[i] < second[i]) return false;
  }
  return false;
}

} // namespace lnx
