#pragma once
// The one Java VM of the test program (a process can create only one), made by main.
#include <jni.h>

namespace lnx::test {

extern JNIEnv* realVm;

} // namespace lnx::test
