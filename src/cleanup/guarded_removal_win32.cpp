#include "cleanup/guarded_removal.h"

#include <windows.h>

#include <vector>

#include "cleanup/windel_paths.h"
#include "log/log.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

enum class Guard { held, unavailable, link };

// The path itself: a final link or junction is opened, not followed; directories too.
FileHandle openItself(const std::wstring& path, DWORD access, DWORD share) {
  return FileHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool readAttributes(HANDLE handle, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return false;
  attributes = information.dwFileAttributes;
  return true;
}

// Opens the guarded directories outermost first, each itself, and keeps them open with
// data access and without shared deletion: while held, none can be renamed, removed or
// replaced, so the names below resolve through exactly the directories checked here.
Guard holdGuardedDirectories(const std::wstring& path, std::vector<FileHandle>& held) {
  for (const std::wstring& directory : guardedDirectories(path)) {
    FileHandle handle = openItself(directory, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE);
    DWORD attributes = 0;
    if (!handle.valid() || !readAttributes(handle.get(), attributes)) return Guard::unavailable;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      logPrint(L"Temp cleanup leaves \"%s\" alone: \"%s\" is a link", path, directory);
      return Guard::link;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Guard::unavailable;
    held.push_back(std::move(handle));
  }
  return Guard::held;
}

} // namespace

Removal removeListedPath(const std::wstring& path, bool directory) {
  std::vector<FileHandle> held;
  Guard guard = holdGuardedDirectories(path, held);
  if (guard != Guard::held) return guard == Guard::link ? Removal::refused : Removal::failed;
  // Closed before the guarded directories: the deletion happens while they are held.
  FileHandle target = openItself(path, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  DWORD attributes = 0;
  if (!target.valid() || !readAttributes(target.get(), attributes)) return Removal::failed;
  // A file line removes no directory and a directory line no file (as DeleteFileW and
  // RemoveDirectoryW would not); a link to a directory counts as a directory.
  if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != directory) return Removal::failed;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(target.get(), FileDispositionInfo, &disposition, sizeof disposition)
             ? Removal::removed
             : Removal::failed;
}

bool scheduleListedPathAtRestart(const std::wstring& path) {
  std::vector<FileHandle> held;
  return holdGuardedDirectories(path, held) == Guard::held &&
         MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

} // namespace lnx
