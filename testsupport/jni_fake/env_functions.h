#pragma once
// The groups of JNI functions the fake VM implements; each puts its functions into the
// table, over the unsupported-function recorders.
#include <jni.h>

namespace jnifake {

void installClassFunctions(JNINativeInterface_& table);
void installStringFunctions(JNINativeInterface_& table);
void installArrayFunctions(JNINativeInterface_& table);
void installPrimitiveArrayFunctions(JNINativeInterface_& table);
void installCallFunctions(JNINativeInterface_& table);
void installNativeFunctions(JNINativeInterface_& table);
void installExceptionFunctions(JNINativeInterface_& table);
void installReferenceFunctions(JNINativeInterface_& table);

} // namespace jnifake
