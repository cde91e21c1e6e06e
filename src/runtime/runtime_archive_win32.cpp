#include "runtime/runtime_archive.h"

#include <direct.h>

#include <cstdio>
#include <vector>

#include "base/progress_bar.h"
#include "log/error_report.h"
#include "log/log.h"
#include "runtime/gzip_file.h"
#include "runtime/tar_reader.h"
#include "text/codepage.h"

namespace lnx {

namespace {

class StdioFile : public TarFileWriter {
public:
  explicit StdioFile(FILE* file) : file_(file) {}
  ~StdioFile() override { std::fclose(file_); }
  size_t write(const char* data, size_t count) override { return std::fwrite(data, 1, count, file_); }
  bool failed() override { return std::ferror(file_) != 0; }

private:
  FILE* file_;
};

// Names relative to the current directory, which untarGz made the target directory.
class DirectoryTarget : public TarTarget {
public:
  explicit DirectoryTarget(HWND progressWindow) : progressWindow_(progressWindow) {}
  void createDirectory(const std::string& name) override { CreateDirectoryA(name.c_str(), nullptr); }
  std::unique_ptr<TarFileWriter> createFile(const std::string& name) override {
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) {
      std::wstring text = formatText(L"Could not open file %S\n", {FormatArg(name)});
      logError(L"%s", text);
      failWithText(text);
    }
    return std::make_unique<StdioFile>(file);
  }
  void setProgress(int position) override { setProgressPosition(progressWindow_, position); }
  uint32_t tickCount() override { return GetTickCount(); }

private:
  HWND progressWindow_;
};

} // namespace

bool untarGz(const std::string& archive, const std::string& targetDirectory, HWND progressWindow,
             int64_t expectedSize) {
  char previous[MAX_PATH] = "";
  if (!_getcwd(previous, sizeof previous)) previous[0] = '\0';
  GzipFile input(archive);
  if (!input.isOpen()) {
    logError(L"Could not open gz-file");
    return false;
  }
  if (_chdir(targetDirectory.c_str()) != 0) {
    logError(L"Could not change to %S", targetDirectory);
    return false;
  }
  DirectoryTarget target(progressWindow);
  bool result = untarStream(input, target, expectedSize);
  if (previous[0]) _chdir(previous);
  return result;
}

} // namespace lnx
