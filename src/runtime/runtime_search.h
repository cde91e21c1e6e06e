#pragma once
// Settling on a Java runtime: a named one, or the configured search sequence.
#include <string>

namespace lnx {

enum JreOrigin { OriginNone = 0, OriginSearchPath = 1, OriginDirectory = 2, OriginEnvironment = 3, OriginRegistry = 4 };

// Checks the given location (a runtime directory, or a java.exe path when locationIsJavaExe)
// or, without one, searches; loads the runtime's jvm.dll and takes JNI_CreateJavaVM. On
// success the JVM home and version are published. With reportErrors, a failure is shown
// in an error box (the process goes on). True when the VM can be created.
bool LoadDLL(bool reportErrors, const std::string* location, bool locationIsJavaExe);

} // namespace lnx
