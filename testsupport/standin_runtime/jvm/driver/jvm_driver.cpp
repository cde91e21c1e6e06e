// jvmdriver.exe: loads a jvm.dll and drives it through JNI as the launcher would, from a
// script of tab-separated steps (jni_driver.h), one answer line per step on standard
// output. Exit codes: 0 done, 1 the library does not load, 2 usage or an unknown step.
//   jvmdriver <jvm.dll> <script>
#include "jni_driver.h"
#include "text_lines.h"
#include "whole_file.h"

#include <windows.h>

namespace {

enum DriverExit : int {
  driverDone = 0,
  libraryMissing = 1,
  driverMisused = 2,
};

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> split;
  size_t start = 0;
  for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    split.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  split.push_back(line.substr(start));
  return split;
}

void answer(const std::string& line) {
  std::string bytes = line + "\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3)
    return driverMisused;
  std::optional<std::string> script = standin::readWholeFile(argv[2]);
  if (!script)
    return driverMisused;
  standin::JniDriver driver;
  if (!driver.load(argv[1])) {
    answer("no JNI_CreateJavaVM in the library");
    return libraryMissing;
  }
  for (const std::string& line : standin::textLines(*script)) {
    if (line.empty())
      continue;
    std::optional<std::string> result = driver.run(fields(line));
    if (!result) {
      answer("unknown step: " + line);
      return driverMisused;
    }
    answer(*result);
  }
  return driverDone;
}
