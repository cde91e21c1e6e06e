// unpack200.exe of the stand-in runtime: restores a jar from the test pack format.
//   unpack200.exe [-r] PACKED JAR    -r removes PACKED once JAR is written
//   unpack.log beside the exe: one line per run, the raw command line
// Like any C program it takes the first word of its command line for its own name.
#include "append_line.h"
#include "beside_self.h"
#include "command_line.h"
#include "standard_error.h"
#include "test_pack.h"
#include "whole_file.h"

#include <string>
#include <vector>

#include <windows.h>

namespace {

enum UnpackExit : int {
  unpackDone = 0,
  unpackFailed = 1,
  unpackUsage = 2,
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
  return unpack(request);
}
