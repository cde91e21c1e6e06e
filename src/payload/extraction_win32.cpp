#include <windows.h>

#include <vector>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/extraction.h"
#include "payload/included_files.h"
#include "payload/own_executable.h"
#include "payload/record_reader.h"
#include "payload/tables.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

uint32_t unextractedPosition = 0;

class FileSink : public ByteSink {
public:
  explicit FileSink(HANDLE file) : file_(file) {}
  bool write(const uint8_t* data, uint32_t count, uint32_t& written, uint32_t& systemError) override {
    DWORD done = 0;
    BOOL ok = WriteFile(file_, data, count, &done, nullptr);
    written = done;
    systemError = ok ? 0 : static_cast<uint32_t>(GetLastError());
    return ok != FALSE;
  }

private:
  HANDLE file_;
};

} // namespace

int extractFile(ByteSource& payload, const std::string& targetPath) {
  RecordReader reader(payload);
  int64_t size;
  try {
    size = reader.readLong();
  } catch (const PayloadReadError& error) {
    failWithText(error.text);
  }
  logPrint(L"extracting %S (size: %I64d)", targetPath, size);
  if (size <= 0) return kCopied;
  FileHandle target(
      CreateFileA(targetPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!target.valid()) failWithMessageArgument(message::internalError, L"11");
  FileSink sink(target.get());
  return copyBlock(payload, sink, size, true);
}

int extractIncludedFiles() {
  logPrint(L"extracting files");
  int count = getConfigInt(config::includedFileCount);
  logPrint(L"Included files: %d", count);
  if (count == 0) return kCopied;

  std::unique_ptr<ByteSource> payload = openOwnExecutable();
  payload->seek(installedTables().tablesEnd);
  const std::string& directory = launcherState().extractionDir;
  std::vector<std::string> names = splitIncludedNames(getConfigCopy(config::includedFileNames));
  for (int i = 0; i < count && i < static_cast<int>(names.size()); ++i) {
    const std::string& name = names[static_cast<size_t>(i)];
    if (!isSafeIncludedName(name)) { // never write outside the extraction directory
      logError(L"Refusing included file name %S", name);
      return kReadFailed;
    }
    std::string subdirectory = includedNameDirectory(name);
    if (!subdirectory.empty()) {
      std::string path = directory + "\\" + subdirectory;
      logPrint(L"creating directory %S", path);
      if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        logError(L"failed to create directory %S", path);
    }
    std::string path = directory + "\\" + name;
    stopIfCanceled(); // between files, when no file of the directory is open
    int result = extractFile(*payload, path);
    if (result != kCopied) {
      logError(L"Failed to extract %S", path);
      return result;
    }
  }
  unextractedPosition = static_cast<uint32_t>(payload->position());
  logPrint(L"extracting files done");
  return kCopied;
}

uint32_t getUnextractedPosition() { return unextractedPosition; }

} // namespace lnx
