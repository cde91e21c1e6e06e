// msgboxdemo: shows one MessageBoxW and exits with the id of the pressed button, a known
// dialog for checking that dialogprobe reads and presses message boxes of other processes.
//   msgboxdemo.exe CAPTION TEXT [STYLE]    STYLE: MB_* flags as a number (0x30 = warning)
#include <cwchar>

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4)
    return 255;
  UINT style = argc == 4 ? static_cast<UINT>(std::wcstoul(argv[3], nullptr, 0)) : MB_OK;
  return MessageBoxW(nullptr, argv[2], argv[1], style);
}
