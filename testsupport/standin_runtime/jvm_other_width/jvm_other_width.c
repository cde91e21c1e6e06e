/* jvm.dll of a runtime of the other width than the launcher under test (64-bit beside the
   32-bit launcher, 32-bit beside the 64-bit one), for the case "a runtime whose VM cannot
   load into the launcher": only its image format matters, so the exports do nothing and
   the dll links no C runtime at all. */
#define _JNI_IMPLEMENTATION_ /* jni.h then declares its functions as exports */
#include <jni.h>

#include <windows.h>

/* The entry point the linker is told to use, in place of the C runtime's. */
BOOL WINAPI standinDllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  (void)args;
  return JNI_ERR;
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  (void)args;
  *pvm = NULL;
  *penv = NULL;
  return JNI_ERR;
}

JNIEXPORT jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** vms, jsize bufferLength, jsize* count) {
  (void)vms;
  (void)bufferLength;
  *count = 0;
  return JNI_OK;
}
