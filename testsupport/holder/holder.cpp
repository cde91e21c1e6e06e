// Holds a file open (sharing only reading) or a named semaphore for a while, as an
// installer that is still running does, so that tests can see what waits for it; or a
// file open with delete access (sharing everything), as a scanner may, which keeps out
// every opener that does not share deleting:
//   holder.exe file <path> <milliseconds>
//   holder.exe file-to-delete <path> <milliseconds>
//   holder.exe semaphore <name> <milliseconds>
// Prints "held" once it holds the object; exit code 0, 2 for bad arguments, 3 when the
// object could not be had.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: holder.exe file|file-to-delete|semaphore <path or name> <milliseconds>\n");
    return 2;
  }
  std::wstring kind = argv[1];
  wchar_t* end = nullptr;
  unsigned long milliseconds = std::wcstoul(argv[3], &end, 10);
  if (*end != L'\0' || (kind != L"file" && kind != L"file-to-delete" && kind != L"semaphore")) {
    std::fprintf(stderr, "holder.exe: bad arguments\n");
    return 2;
  }
  HANDLE held = nullptr;
  if (kind == L"semaphore")
    held = CreateSemaphoreW(nullptr, 1, 1, argv[2]);
  else if (kind == L"file")
    held = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  else
    held = CreateFileW(argv[2], GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == nullptr || held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "holder.exe: cannot hold it (error %lu)\n", GetLastError());
    return 3;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(milliseconds);
  CloseHandle(held);
  return 0;
}
