#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "fs/path_names.h"
#include "fs/temp_base.h"
#include "fs/temp_base_search.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "text/codepage.h"

namespace lnx {

namespace {

constexpr DWORD kPathChars = 6000;

// The ANSI and wide Win32 calls behind one name, so the narrow and wide twins share code.
struct NarrowApi {
  using String = std::string;
  static BOOL createDirectory(const String& p) { return CreateDirectoryA(p.c_str(), nullptr); }
  static BOOL removeDirectory(const String& p) { return RemoveDirectoryA(p.c_str()); }
  static DWORD longPathName(const String& p, char* out, DWORD size) { return GetLongPathNameA(p.c_str(), out, size); }
  static DWORD tempPath(DWORD size, char* out) { return GetTempPathA(size, out); }
  static DWORD environment(const char* name, char* out, DWORD size) { return GetEnvironmentVariableA(name, out, size); }
  static UINT windowsDirectory(char* out, UINT size) { return GetWindowsDirectoryA(out, size); }
};

struct WideApi {
  using String = std::wstring;
  static BOOL createDirectory(const String& p) { return CreateDirectoryW(p.c_str(), nullptr); }
  static BOOL removeDirectory(const String& p) { return RemoveDirectoryW(p.c_str()); }
  static DWORD longPathName(const String& p, wchar_t* out, DWORD size) { return GetLongPathNameW(p.c_str(), out, size); }
  static DWORD tempPath(DWORD size, wchar_t* out) { return GetTempPathW(size, out); }
  static DWORD environment(const char* name, wchar_t* out, DWORD size) {
    return GetEnvironmentVariableW(narrowToWide(name).c_str(), out, size);
  }
  static UINT windowsDirectory(wchar_t* out, UINT size) { return GetWindowsDirectoryW(out, size); }
};

template <class Api> bool probe(const typename Api::String& path, bool createFirst, bool requireRepresentable) {
  using Char = typename Api::String::value_type;
  if (path.empty()) return false;
  if (createFirst) Api::createDirectory(path);
  if (requireRepresentable) {
    std::vector<Char> longName(kPathChars);
    DWORD length = Api::longPathName(path, longName.data(), kPathChars);
    typename Api::String checked = length > 0 && length < kPathChars ? longName.data() : path;
    if (checked.find(Char('?')) != Api::String::npos) return false;
  }
  int pid = static_cast<int>(GetCurrentProcessId());
  std::srand(static_cast<unsigned>(static_cast<uint32_t>(std::time(nullptr)) * static_cast<uint32_t>(pid)));
  // "%s\mrvtw%d%d": a path that already ends in a separator gets a doubled one, which is fine.
  typename Api::String testDirectory =
      path + asciiText<typename Api::String>(("\\mrvtw" + std::to_string(pid) + std::to_string(std::rand())).c_str());
  Api::removeDirectory(testDirectory);
  if (!Api::createDirectory(testDirectory)) return false;
  bool found = pathExists(testDirectory);
  Api::removeDirectory(testDirectory);
  return found;
}

template <class Api> class Win32TempSystem : public TempBaseSystem<typename Api::String> {
  using String = typename Api::String;
  using Char = typename String::value_type;

public:
  std::optional<String> systemTempPath() override { return fromBuffer(Api::tempPath(kPathChars, buffer())); }
  std::optional<String> environment(const char* name) override {
    return fromBuffer(Api::environment(name, buffer(), kPathChars));
  }
  std::optional<String> windowsDirectory() override { return fromBuffer(Api::windowsDirectory(buffer(), kPathChars)); }
  bool probe(const String& path, bool createFirst, bool requireRepresentable) override {
    return lnx::probe<Api>(path, createFirst, requireRepresentable);
  }

private:
  Char* buffer() { return buffer_.data(); }
  std::optional<String> fromBuffer(DWORD length) {
    if (length == 0 || length >= kPathChars) return std::nullopt;
    return String(buffer_.data(), length);
  }
  std::vector<Char> buffer_ = std::vector<Char>(kPathChars);
};

struct TempBaseState {
  std::optional<std::string> manualNarrow;
  std::optional<std::wstring> manualWide;
  std::string cachedNarrow;
  std::wstring cachedWide;
  bool usedFallback = false;
};

TempBaseState& state() {
  static TempBaseState s;
  return s;
}

} // namespace

bool probeDirectory(const std::string& path, bool createFirst, bool requireRepresentable) {
  return probe<NarrowApi>(path, createFirst, requireRepresentable);
}

bool probeDirectory(const std::wstring& path, bool createFirst, bool requireRepresentable) {
  return probe<WideApi>(path, createFirst, requireRepresentable);
}

std::string chooseTempBase() {
  Win32TempSystem<NarrowApi> system;
  std::string base = searchTempBase(system, state().usedFallback);
  if (base.empty()) failWithMessageArgument(message::notPowerUser, nullptr);
  return base;
}

std::wstring chooseTempBaseW(bool failIsFatal) {
  Win32TempSystem<WideApi> system;
  std::wstring base = searchTempBase(system, state().usedFallback);
  if (base.empty() && failIsFatal) failWithMessageArgument(message::notPowerUser, nullptr);
  return base;
}

std::string getTempBase() {
  TempBaseState& s = state();
  if (s.manualNarrow) return *s.manualNarrow;
  if (s.cachedNarrow.empty()) s.cachedNarrow = chooseTempBase();
  return s.cachedNarrow;
}

std::wstring getTempBaseW(bool failIsFatal) {
  TempBaseState& s = state();
  if (s.manualWide) return *s.manualWide;
  if (s.cachedWide.empty()) s.cachedWide = chooseTempBaseW(failIsFatal);
  return s.cachedWide;
}

namespace {

// A relative directory is taken against the current directory of its acceptance: the
// launcher changes directories later and must keep using the one it probed.
std::wstring absoluteDirectory(const std::wstring& directory) {
  if (directory.empty()) return directory;
  DWORD size = GetFullPathNameW(directory.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  DWORD length = size ? GetFullPathNameW(directory.c_str(), size, &full[0], nullptr) : 0;
  if (length == 0 || length >= size) return directory;
  full.resize(length);
  return full;
}

} // namespace

bool setManualTempDir(const std::wstring& given) {
  TempBaseState& s = state();
  std::wstring directory = absoluteDirectory(given);
  std::string narrow;
  bool usable = probeDirectory(directory, false, true);
  if (usable) {
    usable = wideToNarrow(directory, narrow) && probeDirectory(narrow, false, true);
    if (!usable) {
      std::vector<wchar_t> shortName(kPathChars);
      DWORD length = GetShortPathNameW(directory.c_str(), shortName.data(), kPathChars);
      usable = length > 0 && length < kPathChars &&
               wideToNarrow(std::wstring(shortName.data(), length), narrow) && probeDirectory(narrow, false, true);
    }
  }
  if (usable) {
    s.manualWide = directory;
    s.manualNarrow = narrow;
    logPrint(L"Using manual temp dir %s (%S)", directory, narrow);
  } else {
    logPrint(L"Manual temp dir not usable %s (%S)", directory, narrow);
    s.manualWide.reset();
    s.manualNarrow.reset();
  }
  return usable;
}

bool usedFallbackTempBase() { return state().usedFallback; }

} // namespace lnx
