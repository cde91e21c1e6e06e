/* Machine-dependent JNI types of 32- and 64-bit Windows, for the machine's jni.h when it
   is compiled with MinGW: the JDK on this machine only carries the Linux variant. */
#ifndef LNX_JNI_MD_H
#define LNX_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
/* 64-bit Windows has one calling convention; the x64 compiler would only ignore (and warn
   of) __stdcall there. */
#if defined(_WIN64)
#define JNICALL
#else
#define JNICALL __stdcall
#endif

/* long is 32 bits on Windows in both widths (LLP64). */
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
