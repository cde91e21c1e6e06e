# Cross-compilation for Windows with MinGW-w64 (posix thread model); the toolchain file of
# each width sets CMAKE_SYSTEM_PROCESSOR and the target triple, then includes this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Unicode Win32 API, Windows 7 and later declarations.
add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601)
# Stripped images: no COFF symbol table after the last section.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-s")
