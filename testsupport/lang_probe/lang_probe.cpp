// langprobe: prints the language and code page facts Wine derives from the Unix locale,
// so tests can check that a LANG setting reaches the Windows side.
#include <cstdio>

#include <windows.h>

int main() {
  std::printf("ui_language: 0x%04x\n", GetUserDefaultUILanguage());
  std::printf("system_ui_language: 0x%04x\n", GetSystemDefaultUILanguage());
  std::printf("user_lcid: 0x%04lx\n", GetUserDefaultLCID());
  std::printf("system_lcid: 0x%04lx\n", GetSystemDefaultLCID());
  std::printf("ansi_code_page: %u\n", GetACP());
  std::printf("oem_code_page: %u\n", GetOEMCP());
  return 0;
}
