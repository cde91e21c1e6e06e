// The natives of the Java class Win32Handle: the file handles the own process holds, with
// the kernel names of their objects, the closing of one of them, and the target of an
// object-manager symbolic link. They use functions of ntdll.dll that are looked up on
// every call and never throw: a failure is null or false, with a line on standard output.
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "natives/handle_table.h"
#include "natives/java_handle.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "text/codepage.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

using NtQuerySystemInformationFunction = NTSTATUS(NTAPI*)(ULONG informationClass, void* information, ULONG bytes,
                                                          ULONG* returnedBytes);
using NtDuplicateObjectFunction = NTSTATUS(NTAPI*)(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess,
                                                   HANDLE* target, ACCESS_MASK access, ULONG attributes, ULONG options);
using NtQueryObjectFunction = NTSTATUS(NTAPI*)(HANDLE object, ULONG informationClass, void* information, ULONG bytes,
                                               ULONG* returnedBytes);
using NtOpenSymbolicLinkObjectFunction = NTSTATUS(NTAPI*)(HANDLE* link, ACCESS_MASK access,
                                                          OBJECT_ATTRIBUTES* attributes);
using NtQuerySymbolicLinkObjectFunction = NTSTATUS(NTAPI*)(HANDLE link, UNICODE_STRING* target, ULONG* returnedBytes);

constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
constexpr NTSTATUS kObjectNameInvalid = static_cast<NTSTATUS>(0xC0000033);
constexpr size_t kHandleTableFirstBytes = 64 * 1024;
// The table never grows this large; a query that keeps asking for more has failed.
constexpr size_t kHandleTableLimitBytes = 256 * 1024 * 1024;
constexpr size_t kObjectInformationBytes = 4096;
constexpr size_t kCountedStringLimitBytes = 0xFFFE;

template <typename Function> Function ntdllFunction(const char* name) {
  return systemFunction<Function>(L"ntdll.dll", name);
}

// The link name as the diagnostic lines show it, in the file-system code page.
std::string shownName(const std::wstring& name) {
  std::string narrow;
  wideToNarrow(name, narrow);
  return narrow;
}

// The system handle table; nothing when it cannot be read.
std::optional<std::vector<uint8_t>> systemHandleTable(NtQuerySystemInformationFunction querySystemInformation) {
  std::vector<uint8_t> table(kHandleTableFirstBytes);
  NTSTATUS status;
  while ((status = querySystemInformation(kSystemHandleInformation, table.data(), static_cast<ULONG>(table.size()),
                                          nullptr)) == kInfoLengthMismatch &&
         table.size() < kHandleTableLimitBytes)
    table.resize(table.size() * 2);
  if (status < 0) {
    std::printf("NtQuerySystemInformation failed!\n");
    std::fflush(stdout);
    return std::nullopt;
  }
  return table;
}

// One kind of information about an object, starting with a counted string (its name or
// its type name); nothing when it cannot be queried, even in the size the first query
// asked for.
std::optional<std::vector<ULONG_PTR>> objectInformation(NtQueryObjectFunction queryObject, HANDLE object,
                                                        ULONG informationClass) {
  std::vector<ULONG_PTR> information(kObjectInformationBytes / sizeof(ULONG_PTR));
  ULONG needed = 0;
  if (queryObject(object, informationClass, information.data(), kObjectInformationBytes, &needed) >= 0)
    return information;
  information.resize(needed / sizeof(ULONG_PTR) + 1);
  if (queryObject(object, informationClass, information.data(),
                  static_cast<ULONG>(information.size() * sizeof(ULONG_PTR)), nullptr) >= 0)
    return information;
  return std::nullopt;
}

const UNICODE_STRING& countedString(const std::vector<ULONG_PTR>& information) {
  return *reinterpret_cast<const UNICODE_STRING*>(information.data());
}

struct FileHandles {
  std::vector<jint> values;
  std::vector<std::wstring> names;
};

// Adds the handle to the list when it is a named file handle of this process.
void addWhenNamedFile(const SystemHandleEntry& entry, NtDuplicateObjectFunction duplicateObject,
                      NtQueryObjectFunction queryObject, FileHandles& files) {
  HANDLE duplicated = nullptr;
  if (duplicateObject(GetCurrentProcess(), reinterpret_cast<HANDLE>(static_cast<uintptr_t>(entry.handleValue)),
                      GetCurrentProcess(), &duplicated, 0, 0, DUPLICATE_SAME_ACCESS) < 0)
    return;
  KernelHandle duplicate(duplicated);
  std::optional<std::vector<ULONG_PTR>> type = objectInformation(queryObject, duplicate.get(), kObjectTypeInformation);
  if (!type) return;
  const UNICODE_STRING& typeName = countedString(*type);
  if (!isFileTypeName(reinterpret_cast<const char16_t*>(typeName.Buffer), typeName.Length)) return;
  // The name query of a synchronous pipe waits behind a blocked read, for ever: only disk
  // files are asked for their names.
  if (GetFileType(duplicate.get()) != FILE_TYPE_DISK) return;
  std::optional<std::vector<ULONG_PTR>> name = objectInformation(queryObject, duplicate.get(), kObjectNameInformation);
  if (!name) return;
  const UNICODE_STRING& objectName = countedString(*name);
  if (objectName.Length == 0) return;
  files.values.push_back(entry.handleValue);
  files.names.emplace_back(objectName.Buffer, objectName.Length / 2);
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Handle_list0(JNIEnv* env, jclass) try {
  auto querySystemInformation = lnx::ntdllFunction<lnx::NtQuerySystemInformationFunction>("NtQuerySystemInformation");
  auto duplicateObject = lnx::ntdllFunction<lnx::NtDuplicateObjectFunction>("NtDuplicateObject");
  auto queryObject = lnx::ntdllFunction<lnx::NtQueryObjectFunction>("NtQueryObject");
  if (!querySystemInformation || !duplicateObject || !queryObject) return nullptr;
  std::optional<std::vector<uint8_t>> table = lnx::systemHandleTable(querySystemInformation);
  if (!table) return nullptr;
  lnx::FileHandles files;
  DWORD ownProcess = GetCurrentProcessId();
  for (const lnx::SystemHandleEntry& entry : lnx::systemHandleEntries(table->data(), table->size()))
    if (entry.processId == ownProcess && entry.grantedAccess != lnx::kUnnamedHandleAccess)
      lnx::addWhenNamedFile(entry, duplicateObject, queryObject, files);
  std::fflush(stdout);

  jobjectArray nameArray =
      lnx::newJavaStringArray(env, std::vector<std::optional<std::wstring>>(files.names.begin(), files.names.end()));
  jintArray valueArray = lnx::checked(env, env->NewIntArray(static_cast<jsize>(files.values.size())));
  jclass objectClass = lnx::checked(env, env->FindClass("java/lang/Object"));
  jobjectArray result = lnx::checked(env, env->NewObjectArray(2, objectClass, nullptr));
  env->SetIntArrayRegion(valueArray, 0, static_cast<jsize>(files.values.size()), files.values.data());
  env->SetObjectArrayElement(result, 0, valueArray);
  env->SetObjectArrayElement(result, 1, nameArray);
  return result;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Handle_list0, 8);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Handle_close0(JNIEnv*, jclass, jint handle) try {
  auto duplicateObject = lnx::ntdllFunction<lnx::NtDuplicateObjectFunction>("NtDuplicateObject");
  if (!duplicateObject) return false;
  // Duplicating with DUPLICATE_CLOSE_SOURCE closes the handle; the duplicate goes too.
  HANDLE duplicated = nullptr;
  NTSTATUS status = duplicateObject(GetCurrentProcess(),
                                    lnx::handleFromJava<HANDLE>(handle),
                                    GetCurrentProcess(), &duplicated, 0, 0, DUPLICATE_CLOSE_SOURCE);
  lnx::KernelHandle duplicate(duplicated);
  return status >= 0;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Handle_close0, 12);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32Handle_getDeviceName0(JNIEnv* env, jclass,
                                                                                               jstring linkName) try {
  std::optional<std::wstring> name = lnx::javaStringToWide(env, linkName);
  if (!name) return nullptr;
  auto openLink = lnx::ntdllFunction<lnx::NtOpenSymbolicLinkObjectFunction>("NtOpenSymbolicLinkObject");
  auto queryLink = lnx::ntdllFunction<lnx::NtQuerySymbolicLinkObjectFunction>("NtQuerySymbolicLinkObject");
  if (!openLink || !queryLink) {
    std::printf("did not find functions\n");
    std::fflush(stdout);
    return nullptr;
  }
  // A name longer than a counted string can hold is no object name.
  size_t nameBytes = name->size() * sizeof(wchar_t);
  UNICODE_STRING countedName{static_cast<USHORT>(nameBytes), static_cast<USHORT>(nameBytes), &(*name)[0]};
  // Field by field: the 64-bit layout has padding that positional initialisation would fill.
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &countedName, 0, nullptr, nullptr);
  HANDLE opened = nullptr;
  NTSTATUS status = nameBytes <= lnx::kCountedStringLimitBytes ? openLink(&opened, GENERIC_READ, &attributes)
                                                               : lnx::kObjectNameInvalid;
  if (status < 0) {
    std::printf("could not open link %s %p\n", lnx::shownName(*name).c_str(),
                reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<ULONG>(status))));
    std::fflush(stdout);
    return nullptr;
  }
  lnx::KernelHandle link(opened);
  UNICODE_STRING target{0, 0, nullptr};
  ULONG targetBytes = 0;
  if (queryLink(link.get(), &target, &targetBytes) != lnx::kBufferTooSmall) {
    std::printf("could not query link length %s\n", lnx::shownName(*name).c_str());
    std::fflush(stdout);
    return nullptr;
  }
  std::vector<wchar_t> targetText(targetBytes / sizeof(wchar_t) + 1);
  target.Buffer = targetText.data();
  target.MaximumLength =
      static_cast<USHORT>(std::min<size_t>(targetText.size() * sizeof(wchar_t), lnx::kCountedStringLimitBytes));
  if (queryLink(link.get(), &target, &targetBytes) < 0) {
    std::printf("could not query link %s\n", lnx::shownName(*name).c_str());
    std::fflush(stdout);
    return nullptr;
  }
  return lnx::newJavaString(env, std::wstring_view(target.Buffer, target.Length / sizeof(wchar_t)));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32Handle_getDeviceName0, 12);

} // extern "C"
