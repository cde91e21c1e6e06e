// The Win32CommunicationBackend natives over real named pipes of this process: server and
// client ends on separate threads, or one end written and read raw to put exact bytes on
// the wire; called through the export table with the fake VM as their JNIEnv.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

constexpr char kBackendClass[] = "com/lanternix/runtime/installer/platform/win32/Win32CommunicationBackend";
constexpr jlong kInvalid = -1;

using Bytes = std::vector<uint8_t>;
using NameNative = jlong(JNICALL*)(JNIEnv*, jclass, jstring);
using HandleTestNative = jboolean(JNICALL*)(JNIEnv*, jclass, jlong);
using HandleNative = void(JNICALL*)(JNIEnv*, jclass, jlong);
using ReadNative = jbyteArray(JNICALL*)(JNIEnv*, jclass, jlong);
using WriteNative = jboolean(JNICALL*)(JNIEnv*, jclass, jlong, jbyteArray);
using AliveNative = jboolean(JNICALL*)(JNIEnv*, jclass, jint);
using LongNative = jlong(JNICALL*)(JNIEnv*, jclass);
using IntNative = jint(JNICALL*)(JNIEnv*, jclass);

template <typename Function> NativeMethod<Function> backendNative(const char* method) {
  return nativeFunction<Function>(kBackendClass, method);
}

HANDLE handleOf(jlong value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }
jlong valueOf(HANDLE handle) { return static_cast<jlong>(reinterpret_cast<intptr_t>(handle)); }

Bytes pattern(size_t size) {
  Bytes bytes(size);
  for (size_t index = 0; index < size; ++index)
    bytes[index] = static_cast<uint8_t>(index * 13 + index / 509);
  return bytes;
}

HANDLE openRawClient(const std::wstring& name) {
  return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void writeRaw(HANDLE pipe, const Bytes& bytes) {
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(bytes.size(), written);
}

Bytes readRaw(HANDLE pipe, size_t size) {
  Bytes bytes(size);
  size_t filled = 0;
  DWORD arrived = 0;
  while (filled < size && ReadFile(pipe, bytes.data() + filled, static_cast<DWORD>(size - filled), &arrived, nullptr))
    filled += arrived;
  bytes.resize(filled);
  return bytes;
}

class CommunicationNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(invalidHandle && createListener && readBlock && writeBlock && connectClient && connectServer &&
                disconnect && closeHandle && isAlive && currentProcessId)
        << "every Win32CommunicationBackend native is exported under its decorated name";
  }


  std::wstring pipeName() {
    static int serial = 0;
    return L"\\\\.\\pipe\\lnx-comm-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  }
  // The server end of a new pipe; invalid when it could not be created.
  FileHandle listen(const std::wstring& name) { return FileHandle(handleOf(createListener(env, nullptr, text(name)))); }

  // The server end of a new pipe and a raw client end, opened before the server waited for
  // it: a client that came first counts as connected. Both invalid when that fails.
  struct RawPipe {
    FileHandle server;
    FileHandle client;
  };
  RawPipe rawPipe() {
    std::wstring name = pipeName();
    RawPipe pipe{listen(name), FileHandle()};
    if (pipe.server.valid()) pipe.client.reset(openRawClient(name));
    if (!pipe.client.valid() || !connectServer(env, nullptr, valueOf(pipe.server.get()))) return RawPipe();
    return pipe;
  }

  jbyteArray javaBytes(const Bytes& bytes) { return jvm.newByteArray(std::vector<jbyte>(bytes.begin(), bytes.end())); }
  std::optional<Bytes> bytesOf(jbyteArray array) {
    if (!array) return std::nullopt;
    Bytes bytes(static_cast<size_t>(env->GetArrayLength(array)));
    if (!bytes.empty())
      env->GetByteArrayRegion(array, 0, static_cast<jsize>(bytes.size()), reinterpret_cast<jbyte*>(bytes.data()));
    return bytes;
  }
  bool write(jlong handle, const Bytes& bytes) { return writeBlock(env, nullptr, handle, javaBytes(bytes)); }
  std::optional<Bytes> read(jlong handle) { return bytesOf(readBlock(env, nullptr, handle)); }


  NativeMethod<LongNative> invalidHandle = backendNative<LongNative>("getInvalidHandle0");
  NativeMethod<NameNative> createListener = backendNative<NameNative>("createListener0");
  NativeMethod<ReadNative> readBlock = backendNative<ReadNative>("readDataBlock0");
  NativeMethod<WriteNative> writeBlock = backendNative<WriteNative>("writeDataBlock0");
  NativeMethod<NameNative> connectClient = backendNative<NameNative>("connectClient0");
  NativeMethod<HandleTestNative> connectServer = backendNative<HandleTestNative>("connectNamedPipe0");
  NativeMethod<HandleNative> disconnect = backendNative<HandleNative>("disconnectNamedPipe0");
  NativeMethod<HandleNative> closeHandle = backendNative<HandleNative>("closeHandle0");
  NativeMethod<AliveNative> isAlive = backendNative<AliveNative>("isProcessAlive0");
  NativeMethod<IntNative> currentProcessId = backendNative<IntNative>("getCurrentProcessId0");
};

// Every test declares a thread's future before the pipe end whose closing ends the thread's
// wait, so that a failed check does not leave the test waiting for it.

TEST_F(CommunicationNatives, BlocksTravelBothWaysInOrder) {
  const std::vector<Bytes> payloads = {Bytes{'h', 'e', 'l', 'l', 'o'}, Bytes{}, pattern(200000), Bytes{0}};
  std::wstring name = pipeName();
  FileHandle serverEnd = listen(name);
  ASSERT_TRUE(serverEnd.valid());
  jlong server = valueOf(serverEnd.get());
  // The server echoes every block until its read fails: the client has gone.
  auto echoed = std::async(std::launch::async, [&] {
    int count = 0;
    if (!connectServer(env, nullptr, server)) return -1;
    while (std::optional<Bytes> block = read(server)) {
      if (!write(server, *block)) break;
      ++count;
    }
    return count;
  });
  FileHandle clientEnd(handleOf(connectClient(env, nullptr, text(name))));
  ASSERT_NE(nullptr, clientEnd.get());
  jlong client = valueOf(clientEnd.get());
  for (const Bytes& payload : payloads) {
    EXPECT_TRUE(write(client, payload)) << payload.size();
    EXPECT_EQ(payload, read(client)) << payload.size();
  }
  closeHandle(env, nullptr, valueOf(clientEnd.release()));
  EXPECT_EQ(static_cast<int>(payloads.size()), echoed.get());
}

TEST_F(CommunicationNatives, WireCarriesTheLengthBeforeThePayload) {
  RawPipe pipe = rawPipe();
  ASSERT_TRUE(pipe.client.valid());
  jlong server = valueOf(pipe.server.get());
  HANDLE client = pipe.client.get();

  auto written = std::async(std::launch::async, [&] { return write(server, {'h', 'i'}) && write(server, {}); });
  EXPECT_EQ((Bytes{2, 0, 0, 0, 'h', 'i', 0, 0, 0, 0}), readRaw(client, 10));
  EXPECT_TRUE(written.get());

  // The prefix arrives in two pieces, the second only after the first has been read.
  writeRaw(client, {3, 0});
  auto rest = std::async(std::launch::async, [&] {
    Sleep(200);
    writeRaw(client, {0, 0, 'x', 'y', 'z'});
  });
  EXPECT_EQ((Bytes{'x', 'y', 'z'}), read(server));
  rest.get();
}

TEST_F(CommunicationNatives, HostileLengthsGiveNullWithoutAllocatingTheClaim) {
  RawPipe pipe = rawPipe();
  ASSERT_TRUE(pipe.client.valid());
  jlong server = valueOf(pipe.server.get());

  writeRaw(pipe.client.get(), {0x00, 0x00, 0x00, 0x80});
  EXPECT_EQ(std::nullopt, read(server)) << "a negative length";
  // 2 GiB announced, 3 bytes sent: an array of the announced size cannot even be had in
  // this process (the fake VM would record the failed allocation).
  writeRaw(pipe.client.get(), {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
  auto leaving = std::async(std::launch::async, [&] {
    Sleep(200);
    pipe.client.reset();
  });
  EXPECT_EQ(std::nullopt, read(server)) << "the partner left before the block was complete";
  leaving.get();
}

TEST_F(CommunicationNatives, PartnerGoneAndInvalidHandlesFailQuietly) {
  EXPECT_EQ(kInvalid, invalidHandle(env, nullptr));
  EXPECT_EQ(std::nullopt, read(kInvalid));
  EXPECT_FALSE(write(kInvalid, {1}));
  EXPECT_FALSE(connectServer(env, nullptr, kInvalid)) << "at once, without retrying";
  disconnect(env, nullptr, kInvalid);
  closeHandle(env, nullptr, kInvalid);
  EXPECT_EQ(kInvalid, createListener(env, nullptr, nullptr));
  EXPECT_EQ(0, connectClient(env, nullptr, nullptr)) << "at once, without retrying";

  std::wstring name = pipeName();
  FileHandle serverEnd = listen(name);
  ASSERT_TRUE(serverEnd.valid());
  jlong server = valueOf(serverEnd.get());
  EXPECT_FALSE(listen(name).valid()) << "one instance per name";
  FileHandle client(openRawClient(name));
  ASSERT_TRUE(client.valid());
  ASSERT_TRUE(connectServer(env, nullptr, server));
  EXPECT_FALSE(writeBlock(env, nullptr, server, nullptr)) << "no array";
  DWORD waiting = 1;
  ASSERT_TRUE(PeekNamedPipe(client.get(), nullptr, 0, nullptr, &waiting, nullptr));
  EXPECT_EQ(0u, waiting) << "nothing was written for it";

  client.reset();
  EXPECT_EQ(std::nullopt, read(server));
  EXPECT_FALSE(write(server, {1, 2, 3}));

  // Disconnected, the same server end waits for the next client.
  disconnect(env, nullptr, server);
  auto serving = std::async(std::launch::async, [&] { return connectServer(env, nullptr, server); });
  FileHandle next(handleOf(connectClient(env, nullptr, text(name))));
  ASSERT_NE(nullptr, next.get());
  EXPECT_TRUE(serving.get());
  writeRaw(next.get(), {1, 0, 0, 0, 42});
  EXPECT_EQ((Bytes{42}), read(server));
}

TEST_F(CommunicationNatives, ClientWaitsForTheServerToAppear) {
  std::wstring name = pipeName();
  auto client = std::async(std::launch::async, [&] { return connectClient(env, nullptr, text(name)); });
  EXPECT_EQ(std::future_status::timeout, client.wait_for(std::chrono::milliseconds(1200))) << "still retrying";
  FileHandle serverEnd = listen(name);
  ASSERT_TRUE(serverEnd.valid());
  jlong server = valueOf(serverEnd.get());
  EXPECT_TRUE(connectServer(env, nullptr, server));
  FileHandle clientEnd(handleOf(client.get()));
  ASSERT_NE(nullptr, clientEnd.get());
  auto written = std::async(std::launch::async, [&] { return write(valueOf(clientEnd.get()), {7}); });
  EXPECT_EQ((Bytes{7}), read(server));
  EXPECT_TRUE(written.get());
}

TEST_F(CommunicationNatives, ProcessesAreAliveUntilTheyEnd) {
  EXPECT_EQ(static_cast<jint>(GetCurrentProcessId()), currentProcessId(env, nullptr));
  EXPECT_TRUE(isAlive(env, nullptr, currentProcessId(env, nullptr)));
  EXPECT_FALSE(isAlive(env, nullptr, 0));

  wchar_t self[MAX_PATH];
  ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
  // Suspended children of this test program, which never run a line; the test ends them
  // with the exit code it wants to see.
  for (DWORD exitCode : {DWORD(3), DWORD(STILL_ACTIVE)}) {
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &child));
    CloseHandle(child.hThread);
    auto id = static_cast<jint>(child.dwProcessId);
    EXPECT_TRUE(isAlive(env, nullptr, id)) << exitCode;
    TerminateProcess(child.hProcess, exitCode);
    WaitForSingleObject(child.hProcess, 5000);
    EXPECT_FALSE(isAlive(env, nullptr, id)) << "ended with " << exitCode << ", its handle still open";
    CloseHandle(child.hProcess);
    EXPECT_FALSE(isAlive(env, nullptr, id)) << "gone with " << exitCode;
  }
}

} // namespace
} // namespace lnx
