// java.exe and javaw.exe of the stand-in runtime: `-version` reports the version of the
// runtime's release file on standard error, as the launcher's probe reads a real one.
//   standin.cfg beside the exe: exit=N, hang=1 or garbage=1 (java_behaviour.h)
//   probes.log beside the exe:  one line per run, the raw command line
#include "append_line.h"
#include "beside_self.h"
#include "command_line.h"
#include "java_behaviour.h"
#include "release_file.h"
#include "standard_error.h"
#include "version_banner.h"
#include "whole_file.h"

#include <cwchar>

#include <windows.h>

namespace {

enum JavaExit : int {
  javaDone = 0,
  javaFailed = 1,
  javaMisconfigured = 2,
};

// The runtime home is the parent of bin. The jre inside a JDK has no release file of
// its own: the JDK home above it holds the one that counts.
std::optional<std::string> readReleaseFile() {
  for (const wchar_t* relative : {L"..\\release", L"..\\..\\release"}) {
    if (std::optional<std::string> text = standin::readWholeFile(standin::besideSelf(relative)))
      return text;
  }
  return std::nullopt;
}

int reportVersion(bool garbageFirst) {
  std::optional<std::string> release = readReleaseFile();
  std::optional<std::string> version = release ? standin::releaseValue(*release, "JAVA_VERSION") : std::nullopt;
  if (!version) {
    standin::writeStandardError("stand-in java: no JAVA_VERSION in a release file above " +
                                standin::toUtf8(standin::besideSelf(L"")) + "\r\n");
    return javaFailed;
  }
  bool openjdkStyle = standin::releaseValue(*release, "IMPLEMENTOR_STYLE") == "openjdk";
  std::string firstLine = garbageFirst ? standin::pickedUpOptionsLine() : std::string();
  standin::writeStandardError(firstLine + standin::versionBanner(*version, openjdkStyle));
  return javaDone;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  standin::appendLine(standin::besideSelf(L"probes.log"), standin::commandLineUtf8());
  std::optional<standin::JavaBehaviour> behaviour =
      standin::parseJavaBehaviour(standin::readWholeFile(standin::besideSelf(L"standin.cfg")).value_or(""));
  if (!behaviour) {
    standin::writeStandardError("stand-in java: standin.cfg is not understood\r\n");
    return javaMisconfigured;
  }
  if (behaviour->hang) {
    for (;;)
      Sleep(INFINITE);
  }
  if (behaviour->exitCode)
    return static_cast<int>(*behaviour->exitCode);
  if (argc != 2 || std::wcscmp(argv[1], L"-version") != 0) {
    standin::writeStandardError("stand-in java: only -version is supported\r\n");
    return javaFailed;
  }
  return reportVersion(behaviour->garbage);
}
