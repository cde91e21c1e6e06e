#include "version_banner.h"

namespace standin {

std::string versionBanner(const std::string& version, bool openjdkStyle) {
  if (openjdkStyle)
    return "openjdk version \"" + version + "\" 2024-01-16\r\n" +
           "OpenJDK Runtime Environment (build " + version + ")\r\n" +
           "OpenJDK Stand-in VM (build " + version + ", no bytecode)\r\n";
  return "java version \"" + version + "\"\r\n" +
         "Java(TM) SE Runtime Environment (build " + version + ")\r\n" +
         "Stand-in Client VM (build " + version + ", no bytecode)\r\n";
}

std::string pickedUpOptionsLine() {
  return "Picked up _JAVA_OPTIONS: -Xmx64m\r\n";
}

} // namespace standin
