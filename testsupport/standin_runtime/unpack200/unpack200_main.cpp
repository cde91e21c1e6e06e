// unpack200.exe of the stand-in runtime: restores a jar from the test pack format.
//   unpack200.exe [-r] PACKED JAR    -r removes PACKED once JAR is written
//   unpack.log beside the exe: one line per run, the raw command line
//   unpack.cfg beside the exe, optional: "sleep_ms=N" waits N ms before unpacking (a slow
//   unpacker, to cancel while it runs)
// Like any C program it takes the first word of its command line for its own name.
#include "append_line.h"
#include "beside_self.h"
#include "command_line.h"
#include "standard_error.h"
#include "test_pack.h"
#include "text_lines.h"
#include "whole_file.h"

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace {

enum UnpackExit : int {
  unpackDone = 0,
  unpackFailed = 1,
  unpackUsage = 2,
  unpackBadConfig = 3,
};

struct UnpackRequest {
  std::wstring packedPath;
  std::wstring jarPath;
  bool removePacked = false;
};

bool parseRequest(int argc, wchar_t** argv, UnpackRequest& request) {
  std::vector<std::wstring> paths;
  for (int index = 1; index < argc; ++index) {
    std::wstring argument = argv[index];
    if (argument == L"-r")
      request.removePacked = true;
    else if (argument.empty() || argument.front() == L'-')
      return false;
    else
      paths.push_back(argument);
  }
  if (paths.size() != 2)
    return false;
  request.packedPath = paths[0];
  request.jarPath = paths[1];
  return true;
}

// The wait that unpack.cfg asks for; nothing for a line that is not understood, so that a
// mistyped switch fails the test instead of being ignored.
std::optional<DWORD> configuredSleep() {
  const std::string prefix = "sleep_ms=";
  DWORD sleepMs = 0;
  std::string config = standin::readWholeFile(standin::besideSelf(L"unpack.cfg")).value_or("");
  for (const std::string& line : standin::textLines(config)) {
    if (line.compare(0, prefix.size(), prefix) != 0)
      return std::nullopt;
    std::string value = line.substr(prefix.size());
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    sleepMs = static_cast<DWORD>(std::stoul(value));
  }
  return sleepMs;
}

int unpack(const UnpackRequest& request) {
  std::optional<std::string> packed = standin::readWholeFile(request.packedPath);
  if (!packed) {
    standin::writeStandardError("unpack200: cannot read " + standin::toUtf8(request.packedPath) + "\r\n");
    return unpackFailed;
  }
  std::optional<std::string> jar = standin::unpackTestPack(*packed);
  if (!jar) {
    standin::writeStandardError("unpack200: not a packed file: " + standin::toUtf8(request.packedPath) + "\r\n");
    return unpackFailed;
  }
  if (!standin::writeWholeFile(request.jarPath, *jar)) {
    standin::writeStandardError("unpack200: cannot write " + standin::toUtf8(request.jarPath) + "\r\n");
    return unpackFailed;
  }
  if (request.removePacked)
    DeleteFileW(request.packedPath.c_str());
  return unpackDone;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  standin::appendLine(standin::besideSelf(L"unpack.log"), standin::commandLineUtf8());
  UnpackRequest request;
  if (!parseRequest(argc, argv, request)) {
    standin::writeStandardError("usage: unpack200 [-r] PACKED JAR\r\n");
    return unpackUsage;
  }
  std::optional<DWORD> sleepMs = configuredSleep();
  if (!sleepMs) {
    standin::writeStandardError("unpack200: unpack.cfg is not understood\r\n");
    return unpackBadConfig;
  }
  Sleep(*sleepMs);
  return unpack(request);
}
