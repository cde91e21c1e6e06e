#include <windows.h>

#include <vector>

#include "base/launcher_state.h"
#include "fs/path_names.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/locale_choice.h"
#include "payload/own_executable.h"
#include "payload/tables.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

class FileByteSource : public ByteSource {
public:
  explicit FileByteSource(FileHandle file) : file_(std::move(file)) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file_.get(), &size)) size_ = static_cast<uint64_t>(size.QuadPart);
  }
  void seek(uint64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN);
    position_ = position;
  }
  uint64_t position() const override { return position_; }
  uint64_t size() const override { return size_; }
  ReadResult read(void* buffer, uint32_t count) override {
    DWORD got = 0;
    BOOL ok = ReadFile(file_.get(), buffer, count, &got, nullptr);
    ReadResult result{ok != FALSE, got, ok ? 0u : static_cast<uint32_t>(GetLastError())};
    position_ += got;
    return result;
  }

private:
  FileHandle file_;
  uint64_t position_ = 0;
  uint64_t size_ = 0;
};

} // namespace

std::unique_ptr<ByteSource> openOwnExecutable() {
  const std::wstring& path = longModuleFileName();
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    logError(L"Could not open %p %d %s", static_cast<const void*>(handle), static_cast<int>(error), path);
    failWithText(L"Error opening media file.");
  }
  return std::make_unique<FileByteSource>(FileHandle(handle));
}

std::string chooseLocale(const ArgumentList* args) {
  uint16_t formatLocale = static_cast<uint16_t>(GetUserDefaultLCID() & 0xFFFF);
  std::optional<uint16_t> displayLanguage;
  if (HMODULE kernel = LoadLibraryA("Kernel32.DLL")) {
    using GetUiLanguage = LANGID(WINAPI*)();
    auto getUiLanguage =
        reinterpret_cast<GetUiLanguage>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetUserDefaultUILanguage")));
    if (getUiLanguage) displayLanguage = static_cast<uint16_t>(getUiLanguage());
  }
  return chooseLocaleFromIds(formatLocale, displayLanguage, args);
}

int readPayloadTables(const ArgumentList& args) {
  std::unique_ptr<ByteSource> file = openOwnExecutable();
  RecordReader reader(*file);
  try {
    seekPayloadStart(reader);
    PayloadTables tables = readTables(reader, [&args] { return chooseLocale(&args); });
    setChosenLocale(tables.locale);
    installTables(std::move(tables));
  } catch (const PayloadReadError& error) {
    failWithText(error.text);
  }
  int launcherType = getConfigInt(config::launcherType);
  if (launcherType != 1 && launcherType != 5) launcherState().showMessageBoxes = false;
  return launcherType;
}

} // namespace lnx
