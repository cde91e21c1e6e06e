#pragma once
// What `java -version` writes to standard error, in the two forms real runtimes use.
#include <string>

namespace standin {

// The lines for version, with CRLF ends like a Windows program in text mode. The first
// is `java version "V"`, or `openjdk version "V" DATE` in the open-source style.
std::string versionBanner(const std::string& version, bool openjdkStyle);

// A line real runtimes print before the banner when an options variable is set; a
// version reader that looks only at the first line finds no version in it.
std::string pickedUpOptionsLine();

} // namespace standin
