#pragma once
// The registration walk: every class of the binding table, in order, bound to the
// functions that a lookup finds for its methods. Stops at the first class that fails.
#include <jni.h>

#include <string>

namespace lnx {

// Reports a failure: a wide text, with %d for the one argument where the text has one.
using ErrorReporter = void (*)(const wchar_t* format, int argument);
// The native function exported under a decorated name, or null.
using NativeFunctionLookup = void* (*)(void* context, const std::string& decoratedName);

// True when all classes were bound. Classes bound before a failure stay bound.
bool registerNativeTable(JNIEnv* env, NativeFunctionLookup lookup, void* context, ErrorReporter report);

} // namespace lnx
