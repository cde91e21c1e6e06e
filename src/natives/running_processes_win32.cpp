#include "natives/running_processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

using Snapshot = UniqueHandle<FileHandleTraits>;

using EnumProcessesFunction = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* filledBytes);
using ModuleFileNameFunction = DWORD(WINAPI*)(HANDLE process, HMODULE module, wchar_t* name, DWORD units);
using ImageNameFunction = BOOL(WINAPI*)(HANDLE process, DWORD flags, wchar_t* name, DWORD* units);
using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using ProcessEntryFunction = BOOL(WINAPI*)(HANDLE snapshot, tagPROCESSENTRY32* entry);
using ModuleEntryFunction = BOOL(WINAPI*)(HANDLE snapshot, MODULEENTRY32W* entry);

constexpr size_t kProcessTextUnits = 4096; // terminator included
constexpr DWORD kListedProcesses = 8196;
constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION;                        // 0x400
constexpr DWORD kModuleReadAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; // 0x410

std::optional<std::wstring> imagePath(ImageNameFunction imageName, HANDLE process, size_t room) {
  std::wstring path(room, L'\0');
  DWORD units = static_cast<DWORD>(room);
  if (!imageName(process, 0, &path[0], &units)) return std::nullopt;
  path.resize(units);
  return path;
}

std::optional<std::wstring> mainModulePath(ModuleFileNameFunction moduleFileName, HANDLE process, size_t room) {
  std::wstring path(room, L'\0');
  DWORD units = moduleFileName(process, nullptr, &path[0], static_cast<DWORD>(room));
  if (units == 0) return std::nullopt;
  path.resize(std::min<size_t>(units, room - 1));
  return path;
}

bool isTemporaryImage(const std::wstring& path) {
  return path.size() >= 4 && path.compare(path.size() - 4, 4, L".tmp") == 0;
}

struct PathFunctions {
  ModuleFileNameFunction moduleFileName;
  ImageNameFunction imageName;
};

// The image path of one process in the room left behind its id; nothing when the process
// cannot be opened or its path cannot be read.
std::optional<std::wstring> processPath(const PathFunctions& functions, DWORD processId, size_t room) {
  KernelHandle process(OpenProcess(functions.imageName ? kQueryAccess : kModuleReadAccess, FALSE, processId));
  if (!process.valid()) return std::nullopt;
  if (!functions.imageName) return mainModulePath(functions.moduleFileName, process.get(), room);
  std::optional<std::wstring> path = imagePath(functions.imageName, process.get(), room);
  if (!path || !isTemporaryImage(*path) || !functions.moduleFileName) return path;
  // A ".tmp" image is named by its main module instead, when that can be read.
  KernelHandle reader(OpenProcess(kModuleReadAccess, FALSE, processId));
  std::optional<std::wstring> modulePath =
      reader.valid() ? mainModulePath(functions.moduleFileName, reader.get(), room) : std::nullopt;
  return modulePath ? modulePath : path;
}

} // namespace

std::vector<std::wstring> processTextsByImagePath() {
  std::vector<std::wstring> texts;
  Library psapi(LoadLibraryA("Psapi.DLL"));
  Library kernel(LoadLibraryA("Kernel32.DLL"));
  auto enumProcesses = procedureOf<EnumProcessesFunction>(psapi.get(), "EnumProcesses");
  PathFunctions functions{procedureOf<ModuleFileNameFunction>(psapi.get(), "GetModuleFileNameExW"),
                          procedureOf<ImageNameFunction>(kernel.get(), "QueryFullProcessImageNameW")};
  if (!enumProcesses || (!functions.moduleFileName && !functions.imageName)) return texts;
  std::vector<DWORD> processIds(kListedProcesses);
  DWORD filledBytes = 0;
  if (!enumProcesses(processIds.data(), kListedProcesses * sizeof(DWORD), &filledBytes)) return texts;
  processIds.resize(filledBytes / sizeof(DWORD));
  for (DWORD processId : processIds) {
    if (processId == 0) continue;
    std::wstring text = std::to_wstring(static_cast<int>(processId)) + L' ';
    std::optional<std::wstring> path = processPath(functions, processId, kProcessTextUnits - text.size());
    if (path) texts.push_back(text + *path);
  }
  return texts;
}

std::vector<std::wstring> processTextsBySnapshot() {
  std::vector<std::wstring> texts;
  Library kernel(LoadLibraryA("Kernel32.DLL"));
  auto createSnapshot = procedureOf<CreateSnapshotFunction>(kernel.get(), "CreateToolhelp32Snapshot");
  auto processFirst = procedureOf<ProcessEntryFunction>(kernel.get(), "Process32First");
  auto processNext = procedureOf<ProcessEntryFunction>(kernel.get(), "Process32Next");
  auto moduleFirst = procedureOf<ModuleEntryFunction>(kernel.get(), "Module32FirstW");
  if (!createSnapshot || !processFirst || !processNext) {
    std::printf("could not load functions %p %p %p %p %p %d\n", reinterpret_cast<void*>(createSnapshot),
                reinterpret_cast<void*>(processFirst), reinterpret_cast<void*>(processNext),
                reinterpret_cast<void*>(moduleFirst), static_cast<void*>(kernel.get()),
                static_cast<int>(GetLastError()));
    std::fflush(stdout);
    return texts;
  }
  Snapshot processes(createSnapshot(TH32CS_SNAPALL, 0));
  if (!processes.valid()) return texts;
  tagPROCESSENTRY32 process{};
  process.dwSize = sizeof process;
  for (BOOL found = processFirst(processes.get(), &process); found; found = processNext(processes.get(), &process)) {
    if (process.th32ProcessID == 0 || !moduleFirst) continue;
    Snapshot modules(createSnapshot(TH32CS_SNAPMODULE, process.th32ProcessID));
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    if (modules.valid() && moduleFirst(modules.get(), &module))
      texts.push_back(std::to_wstring(static_cast<int>(process.th32ProcessID)) + L' ' + module.szExePath);
  }
  return texts;
}

} // namespace lnx
