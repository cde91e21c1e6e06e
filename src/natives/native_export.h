#pragma once
// Exports a native method's function under the name registration looks up in the
// executable's export table (nativeExportName). On 32-bit Windows that is its stdcall name
// with the leading underscore, "_Java_<class>_<method>@<argument bytes>" (the linker's own
// dllexport would drop the underscore); the alias names the function's decorated symbol,
// so the link fails when argumentBytes disagrees with the function's parameters. 64-bit
// Windows has one calling convention and no decoration: the plain "Java_<class>_<method>",
// and the link fails when no such function exists. The directive goes out with the file's
// top-level statements, before any code (the assembler for PE has no section stack, so it
// ends in .text).
#if defined(_WIN64)
#define LNX_EXPORT_NATIVE(function, argumentBytes)                                                                   \
  __asm__(".section .drectve\n\t.ascii \" -export:" #function "\"\n\t.text")
#else
#define LNX_EXPORT_NATIVE(function, argumentBytes)                                                                   \
  __asm__(".section .drectve\n\t.ascii \" -export:_" #function "@" #argumentBytes "=" #function "@" #argumentBytes  \
          "\"\n\t.text")
#endif

// Closes a native's function-try-block: nothing thrown inside it (std::bad_alloc, a
// JniFailure) may unwind into the VM's frames, so the native returns its failure result
// instead (nothing for a void native).
//   jboolean JNICALL Java_..._keyExists0(JNIEnv* env, ...) try { ... } LNX_NATIVE_FAILS_WITH(false)
#define LNX_NATIVE_FAILS_WITH(...)                                                                                   \
  catch (...) {                                                                                                      \
    return __VA_ARGS__;                                                                                              \
  }
