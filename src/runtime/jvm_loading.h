#pragma once
// Loading a runtime's jvm.dll into this process and taking its VM entry point.
#include <string>

namespace lnx {

using JvmLibrary = void*; // a module handle; null for none

// Loads the jvm.dll of the runtime of a java.exe or javaw.exe; for a JDK's bin\java.exe it
// falls back to the embedded jre. The bin directory stays on PATH (and as a DLL
// directory) after a success; a total failure undoes both.
JvmLibrary loadJvmForJavaExe(const std::string& javaExe);
JvmLibrary loadJvmLibrary(const std::string& javaExe);
JvmLibrary loadJvmLibraryFrom(const std::string& binDirectory, const std::string& vmDirectory);

// Keeps JNI_CreateJavaVM of the library for creating the VM; false when it is missing.
bool loadJniFunctions(JvmLibrary library);
// The kept entry point (a JNI_CreateJavaVM function pointer), or null.
void* createJavaVmEntry();

} // namespace lnx
