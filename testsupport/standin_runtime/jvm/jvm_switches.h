#pragma once
// How a test tells jvm.dll to behave: environment variables, read when the VM is created.
// jvm.dll runs inside the launcher's process, which inherits the test's environment.
//   LNX_JVM_REPORT=<path>          where the report goes (else jvm-report.json beside the dll)
//   LNX_JVM_FAIL_CREATE=1          JNI_CreateJavaVM fails with JNI_ERR
//   LNX_JVM_MISSING_CLASS=<name>   FindClass never finds that class ("a/b/C" or "a.b.C")
//   LNX_JVM_MAIN_THROWS=<text>     main leaves an exception pending whose toString is text
//   LNX_JVM_EXIT_CODE=<n>          main ends the process with exit code n
//   LNX_JVM_SET_MARKER=<n>         main writes DWORD n to the launcher's per-process start-up marker
//   LNX_JVM_WINDOW_AFTER_MS=<ms>   main returns at once; a window of the Java side appears
//                                  after ms and stays until DestroyJavaVM
//   LNX_JVM_WINDOW_FOR_MS=<ms>     with LNX_JVM_WINDOW_AFTER_MS, DestroyJavaVM keeps that window
//                                  open until it has been shown for ms, as a user works in it
//   LNX_JVM_MAIN_MS=<ms>           main runs that long before it returns (or ends the process),
//                                  after setting the marker and starting the window
//   LNX_JVM_TEMP_CLEANUP=1         after main, the Java side lists the TempDir and starts the
//                                  launcher in its temp-cleanup mode (WinDel's work)
#include <optional>
#include <string>

namespace standin {

struct JvmSwitches {
  std::wstring reportPath;
  bool failCreate = false;
  std::string missingClass;
  std::optional<std::u16string> mainThrows;
  std::optional<unsigned long> exitCode;
  std::optional<unsigned long> marker;
  std::optional<unsigned long> windowAfterMs;
  unsigned long windowForMs = 0;
  unsigned long mainMs = 0;
  bool tempCleanup = false;
};

// The switches of this process's environment; a number that is not one is a problem,
// named in problem, since a test that sets a switch relies on it.
JvmSwitches readJvmSwitches(std::string& problem);

} // namespace standin
