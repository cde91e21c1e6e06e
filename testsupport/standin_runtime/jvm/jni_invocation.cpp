// jvm.dll of the stand-in runtime: the invocation interface the launcher takes from the
// library with GetProcAddress. Every call is recorded in jvm.log beside the dll; creating
// a VM is refused, since nothing here runs bytecode.
#define _JNI_IMPLEMENTATION_ // jni.h then declares its functions as exports
#include <jni.h>

#include "append_line.h"
#include "beside_self.h"

#include <cstdio>
#include <string>

namespace {

void recordCall(const std::string& line) {
  standin::appendLine(standin::besideSelf(L"jvm.log"), line);
}

bool isSupportedVersion(jint version) {
  switch (version) {
  case JNI_VERSION_1_2:
  case JNI_VERSION_1_4:
  case JNI_VERSION_1_6:
  case JNI_VERSION_1_8:
  case JNI_VERSION_9:
  case JNI_VERSION_10:
    return true;
  default:
    return false;
  }
}

std::string hexVersion(jint version) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(version));
  return text;
}

void recordCreation(const JavaVMInitArgs* initArgs) {
  if (!initArgs) {
    recordCall("JNI_CreateJavaVM null");
    return;
  }
  recordCall("JNI_CreateJavaVM " + std::to_string(initArgs->nOptions));
  for (jint index = 0; index < initArgs->nOptions; ++index) {
    const char* option = initArgs->options[index].optionString;
    recordCall(option ? option : "(null)");
  }
}

} // namespace

// No exception may leave these functions: their callers are C.

extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  try {
    jint version = static_cast<JavaVMInitArgs*>(args)->version;
    recordCall("JNI_GetDefaultJavaVMInitArgs " + hexVersion(version));
    return isSupportedVersion(version) ? JNI_OK : JNI_EVERSION;
  } catch (...) {
    return JNI_ERR;
  }
}

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  *pvm = nullptr;
  *penv = nullptr;
  try {
    recordCreation(static_cast<const JavaVMInitArgs*>(args));
  } catch (...) {
  }
  return JNI_ERR;
}

extern "C" JNIEXPORT jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** vms, jsize bufferLength, jsize* count) {
  (void)vms;
  (void)bufferLength;
  try {
    recordCall("JNI_GetCreatedJavaVMs");
  } catch (...) {
  }
  *count = 0;
  return JNI_OK;
}
