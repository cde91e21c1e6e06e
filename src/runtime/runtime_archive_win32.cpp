#include "runtime/runtime_archive.h"

#include <cstdio>
#include <utility>

#include "base/cancellation.h"
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
  ~StdioFile() override {
    if (file_) std::fclose(file_);
  }
  size_t write(const char* data, size_t count) override { return std::fwrite(data, 1, count, file_); }
  bool failed() override { return file_ && std::ferror(file_) != 0; }
  bool close() override { return std::fclose(std::exchange(file_, nullptr)) == 0; }

private:
  FILE* file_;
};

// Every entry by its full path below the target directory: the current directory plays no
// part. The log and the error text name the entry as the archive does.
class DirectoryTarget : public TarTarget {
public:
  DirectoryTarget(const std::string& directory, HWND progressWindow)
      : prefix_(directory + "\\"), progressWindow_(progressWindow) {}
  void createDirectory(const std::string& name) override { CreateDirectoryA((prefix_ + name).c_str(), nullptr); }
  std::unique_ptr<TarFileWriter> createFile(const std::string& name) override {
    FILE* file = std::fopen((prefix_ + name).c_str(), "wb");
    if (file) return std::make_unique<StdioFile>(file);
    failure_ = formatText(L"Could not open file %S\n", {FormatArg(name)});
    logError(L"%s", failure_);
    return nullptr;
  }
  // Also the cancel checkpoint of the unpacking (before each file and every 200 ms within
  // one): it throws, and unwinding closes the file being written and the archive.
  void setProgress(int position) override {
    stopIfCanceled();
    setProgressPosition(progressWindow_, position);
  }
  uint32_t tickCount() override { return GetTickCount(); }
  // The error text of a file that could not be created, or empty.
  const std::wstring& failure() const { return failure_; }

private:
  std::string prefix_;
  HWND progressWindow_;
  std::wstring failure_;
};

} // namespace

bool untarGz(const std::string& archive, const std::string& targetDirectory, HWND progressWindow,
             int64_t expectedSize) {
  bool result = false;
  std::wstring failure;
  {
    GzipFile input(archive);
    if (!input.isOpen()) {
      logError(L"Could not open gz-file");
      return false;
    }
    DirectoryTarget target(targetDirectory, progressWindow);
    result = untarStream(input, target, expectedSize);
    failure = target.failure();
  }
  // The archive is closed now, so that the end of the run can delete it with the TempDir.
  if (!failure.empty()) failWithText(failure);
  return result;
}

} // namespace lnx
