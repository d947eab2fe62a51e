/* Machine-dependent JNI types and linkage for 32-bit Windows (i686
 * MinGW-w64). The JDK's own jni.h includes "jni_md.h"; the Windows build
 * puts this directory on the include path ahead of the JDK's include
 * directory, and never the JDK's platform sub-directory, so jni.h gets
 * these definitions: the Win32 standard calling convention for every JNI
 * function and the Win32 integer types. */
#ifndef KELVO_JNI_MD_WIN32_H
#define KELVO_JNI_MD_WIN32_H

#if !defined(_WIN32) || defined(_WIN64)
#error "this jni_md.h is for the 32-bit Windows build only"
#endif

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;        /* 32 bits on Win32 */
typedef long long jlong;  /* 64 bits */
typedef signed char jbyte;

#endif
