// The natives of the Java class Win32CommunicationBackend: one process creates the server
// end of a named pipe and waits for the other, which opens the client end; both then
// exchange length-prefixed data blocks (natives/data_block.h). Handles cross to Java as
// longs holding the sign-extended handle value, -1 being the invalid one. Nothing throws:
// failures are -1, 0, false or null, connection failures after a fixed schedule of retries.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "natives/data_block.h"
#include "natives/java_handle.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr jlong kInvalidHandleValue = -1;
constexpr DWORD kServerPipeMode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
constexpr DWORD kPipeBufferBytes = 65536;
constexpr int kServerConnectRetries = 600;
constexpr int kClientOpenRetries = 200;
constexpr DWORD kRetryPauseMilliseconds = 500;
constexpr DWORD kFirstPipeWaitMilliseconds = 300000;
constexpr DWORD kRetryPipeWaitMilliseconds = 1000;

HANDLE handleOf(jlong value) { return handleFromJava<HANDLE>(value); }
jlong handleValue(HANDLE handle) { return javaHandleValue(handle); }

size_t readPipe(HANDLE pipe, uint8_t* buffer, size_t capacity) {
  DWORD arrived = 0;
  return ReadFile(pipe, buffer, static_cast<DWORD>(capacity), &arrived, nullptr) ? arrived : 0;
}

size_t writePipe(HANDLE pipe, const uint8_t* data, size_t size) {
  DWORD taken = 0;
  return WriteFile(pipe, data, static_cast<DWORD>(size), &taken, nullptr) ? taken : 0;
}

// A process whose exit code reads STILL_ACTIVE may have ended with that very code: when it
// can be waited on, its handle tells. A process that may not be waited on counts as running.
bool stillRunning(DWORD processId) {
  KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  return !process.valid() || WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jlong JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_getInvalidHandle0(JNIEnv*,
                                                                                                              jclass) try {
  return lnx::kInvalidHandleValue;
} LNX_NATIVE_FAILS_WITH(lnx::kInvalidHandleValue)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_getInvalidHandle0, 8);

jlong JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_createListener0(
    JNIEnv* env, jclass, jstring pipeName) try {
  std::optional<std::wstring> name = lnx::javaStringToWide(env, pipeName);
  if (!name) return lnx::kInvalidHandleValue;
  return lnx::handleValue(CreateNamedPipeW(name->c_str(), PIPE_ACCESS_DUPLEX, lnx::kServerPipeMode, 1,
                                           lnx::kPipeBufferBytes, lnx::kPipeBufferBytes, 0, nullptr));
} LNX_NATIVE_FAILS_WITH(lnx::kInvalidHandleValue)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_createListener0, 12);

jbyteArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_readDataBlock0(
    JNIEnv* env, jclass, jlong handle) try {
  HANDLE pipe = lnx::handleOf(handle);
  if (pipe == INVALID_HANDLE_VALUE) return nullptr;
  std::optional<std::vector<uint8_t>> payload =
      lnx::readDataBlock([pipe](uint8_t* buffer, size_t capacity) { return lnx::readPipe(pipe, buffer, capacity); });
  if (!payload) return nullptr;
  auto length = static_cast<jsize>(payload->size());
  jbyteArray array = lnx::checked(env, env->NewByteArray(length));
  if (length > 0) env->SetByteArrayRegion(array, 0, length, reinterpret_cast<const jbyte*>(payload->data()));
  return array;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_readDataBlock0, 16);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_writeDataBlock0(
    JNIEnv* env, jclass, jlong handle, jbyteArray data) try {
  HANDLE pipe = lnx::handleOf(handle);
  if (pipe == INVALID_HANDLE_VALUE || !data) return false;
  jsize length = env->GetArrayLength(data);
  // Copied piece by piece: a whole copy of a large block may not fit a 32-bit process.
  auto copy = [env, data](size_t offset, uint8_t* buffer, size_t size) {
    env->GetByteArrayRegion(data, static_cast<jsize>(offset), static_cast<jsize>(size), reinterpret_cast<jbyte*>(buffer));
    return !env->ExceptionCheck();
  };
  if (!lnx::writeDataBlock([pipe](const uint8_t* bytes, size_t size) { return lnx::writePipe(pipe, bytes, size); },
                           static_cast<size_t>(length), copy))
    return false;
  FlushFileBuffers(pipe); // returns once the partner has read the block
  return true;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_writeDataBlock0, 20);

jlong JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_connectClient0(
    JNIEnv* env, jclass, jstring pipeName) try {
  std::optional<std::wstring> name = lnx::javaStringToWide(env, pipeName);
  if (!name) return 0;
  WaitNamedPipeW(name->c_str(), lnx::kFirstPipeWaitMilliseconds);
  for (int failures = 0;;) {
    // Identification only: a process that created the pipe first cannot act as this client.
    HANDLE client = CreateFileW(name->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (client != INVALID_HANDLE_VALUE) return lnx::handleValue(client);
    DWORD error = GetLastError();
    if (++failures > lnx::kClientOpenRetries) {
      std::printf("could not open file %d %ls\n", static_cast<int>(error), name->c_str());
      std::fflush(stdout);
      return 0;
    }
    Sleep(lnx::kRetryPauseMilliseconds);
    WaitNamedPipeW(name->c_str(), lnx::kRetryPipeWaitMilliseconds);
  }
} LNX_NATIVE_FAILS_WITH(0)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_connectClient0, 12);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_connectNamedPipe0(
    JNIEnv*, jclass, jlong handle) try {
  HANDLE pipe = lnx::handleOf(handle);
  if (pipe == INVALID_HANDLE_VALUE) return false;
  for (int failures = 0;;) {
    // A client that came before this call is connected already.
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) return true;
    DWORD error = GetLastError();
    if (++failures > lnx::kServerConnectRetries) {
      std::printf("could not connect named pipe %d\n", static_cast<int>(error));
      std::fflush(stdout);
      return false;
    }
    Sleep(lnx::kRetryPauseMilliseconds);
  }
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_connectNamedPipe0, 16);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_disconnectNamedPipe0(
    JNIEnv*, jclass, jlong handle) try {
  HANDLE pipe = lnx::handleOf(handle);
  if (pipe != INVALID_HANDLE_VALUE) DisconnectNamedPipe(pipe);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_disconnectNamedPipe0,
                  16);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_closeHandle0(JNIEnv*, jclass,
                                                                                                        jlong handle) try {
  HANDLE pipe = lnx::handleOf(handle);
  if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_closeHandle0, 16);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_isProcessAlive0(
    JNIEnv*, jclass, jint processId) try {
  auto id = static_cast<DWORD>(processId);
  lnx::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process.valid()) return GetLastError() == ERROR_ACCESS_DENIED; // it exists but is protected
  DWORD exitCode = 0;
  return GetExitCodeProcess(process.get(), &exitCode) && exitCode == STILL_ACTIVE && lnx::stillRunning(id);
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_isProcessAlive0, 12);

jint JNICALL
Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_getCurrentProcessId0(JNIEnv*, jclass) try {
  return static_cast<jint>(GetCurrentProcessId());
} LNX_NATIVE_FAILS_WITH(0)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32CommunicationBackend_getCurrentProcessId0,
                  8);

} // extern "C"
