#include "temp_cleanup_start.h"

#include <vector>

#include <windows.h>

#include "fs/temp_dir.h"
#include "jni_fake/jni_report.h"
#include "text/codepage.h"

namespace standin {

namespace {

struct Tree {
  std::vector<std::wstring> files;
  std::vector<std::wstring> directories; // children before their parents
};

// Links and junctions are listed themselves, never followed, as the Java side does.
void collectTree(const std::wstring& directory, Tree& tree) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring path = directory + L"\\" + name;
      bool isDirectory = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if (isDirectory && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        collectTree(path, tree);
      else
        (isDirectory ? tree.directories : tree.files).push_back(path);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  tree.directories.push_back(directory);
}

// "<name>_dir<number>" was named by the unique file "<name>", as the launcher names it.
std::wstring nameFileOf(const std::wstring& tempDir) {
  std::string narrow;
  return lnx::wideToNarrow(tempDir, narrow) ? lnx::narrowToWide(lnx::tempDirNameFile(narrow)) : std::wstring();
}

bool writeList(const std::wstring& path, const TempCleanupInputs& inputs, const Tree& tree) {
  std::wstring text = inputs.semaphoreName + L"\r\n" + L"\r\n"; // no mode: no restart handling
  std::wstring nameFile = nameFileOf(inputs.tempDir);
  if (!nameFile.empty())
    text += nameFile + L"\r\n";
  for (const std::wstring& file : tree.files)
    text += file + L"\r\n";
  text += L"\r\n";
  for (const std::wstring& directory : tree.directories)
    text += directory + L"\r\n";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  DWORD written = 0;
  bool complete = WriteFile(file, text.data(), size, &written, nullptr) && written == size;
  CloseHandle(file);
  return complete;
}

std::u16string utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

} // namespace

jnifake::JsonValue startTempCleanup(const TempCleanupInputs& inputs) {
  jnifake::JsonValue event = jnifake::callEvent("tempCleanup");
  auto fail = [&event](const char16_t* problem) {
    event.set(u"problem", jnifake::JsonValue::text(problem));
    return std::move(event);
  };
  if (inputs.tempDir.empty() || inputs.executable.empty())
    return fail(u"no temp dir or no executable");
  std::wstring tempDir = inputs.tempDir;
  while (!tempDir.empty() && tempDir.back() == L'\\')
    tempDir.pop_back();
  Tree tree;
  collectTree(tempDir, tree);

  wchar_t temp[MAX_PATH + 1];
  wchar_t list[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, temp) || !GetTempFileNameW(temp, L"del", 0, list))
    return fail(u"no list file");
  TempCleanupInputs trimmed = inputs;
  trimmed.tempDir = tempDir;
  if (!writeList(list, trimmed, tree))
    return fail(u"list not written");
  event.set(u"list", jnifake::JsonValue::text(utf16(list)));

  std::wstring commandLine = L"\"" + inputs.executable + L"\" __lnx_windel \"" + list + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(inputs.executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return fail(u"the cleanup copy did not start");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  event.set(u"pid", jnifake::JsonValue::number(process.dwProcessId));
  event.set(u"files", jnifake::JsonValue::number(static_cast<long long>(tree.files.size())));
  event.set(u"directories", jnifake::JsonValue::number(static_cast<long long>(tree.directories.size())));
  return event;
}

} // namespace standin
