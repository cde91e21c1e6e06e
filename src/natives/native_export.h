#pragma once
// Exports a native method's function under its stdcall name with the leading underscore,
// "_Java_<class>_<method>@<argument bytes>", the name the registration looks up in the
// executable's export table (the linker's own dllexport would drop the underscore). The
// alias names the function's decorated symbol, so the link fails when argumentBytes
// disagrees with the function's parameters. The directive goes out with the file's
// top-level statements, before any code (the assembler for PE has no section stack, so it
// ends in .text).
#define LNX_EXPORT_NATIVE(function, argumentBytes)                                                                   \
  __asm__(".section .drectve\n\t.ascii \" -export:_" #function "@" #argumentBytes "=" #function "@" #argumentBytes  \
          "\"\n\t.text")

// Closes a native's function-try-block: nothing thrown inside it (std::bad_alloc, a
// JniFailure) may unwind into the VM's frames, so the native returns its failure result
// instead (nothing for a void native).
//   jboolean JNICALL Java_..._keyExists0(JNIEnv* env, ...) try { ... } LNX_NATIVE_FAILS_WITH(false)
#define LNX_NATIVE_FAILS_WITH(...)                                                                                   \
  catch (...) {                                                                                                      \
    return __VA_ARGS__;                                                                                              \
  }
