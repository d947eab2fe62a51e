// The three JNI entry points of TORNEL.server.NativeProcess, the same on
// every platform: start() converts the two strings, starts the process and
// stores its id in the object's int field m_nPID; waitFor() and destroy()
// read the id and wait for / terminate that process. The process work is
// done by process_control.h.
//
// Windows: the functions are stdcall (JNICALL) and exported through
// spawnlib.def under their decorated names only, so they carry no
// JNIEXPORT. Elsewhere they are the library's only visible symbols.
#include <jni.h>
#include <stdio.h>

#include <string>

#include "process_control.h"

#ifdef _WIN32
#define SPAWNLIB_EXPORT
#else
#define SPAWNLIB_EXPORT JNIEXPORT
#endif

namespace {

constexpr const char* kPidField = "m_nPID";

// Looks up m_nPID on the object's class; nullptr (with the JVM's
// NoSuchFieldError thrown) when the class has no such int field.
jfieldID pid_field(JNIEnv* env, jobject self) {
  jclass cls = env->GetObjectClass(self);
  return env->GetFieldID(cls, kPidField, "I");
}

// Waits for (after terminating, when asked) the process whose id the
// object's m_nPID holds.
void finish_stored_process(JNIEnv* env, jobject self, bool terminate_first) {
  jfieldID field = pid_field(env, self);
  if (field == nullptr) return;  // the JVM's NoSuchFieldError stands
  const jint pid = env->GetIntField(self, field);
  // 0 names no process; a negative id would reach the caller's own process
  // group or every process through the POSIX calls.
  if (pid <= 0) return;
  spawnlib::finish_process(pid, terminate_first);
}

}  // namespace

extern "C" {

SPAWNLIB_EXPORT void JNICALL Java_TORNEL_server_NativeProcess_start(JNIEnv* env, jobject self, jstring command,
                                                                    jstring directory) {
  // A null string means no command / the caller's directory. A string the
  // JVM cannot convert leaves its OutOfMemoryError thrown, and then no JNI
  // call but the releases may be made.
  bool exception_thrown = false;
  const char* cmd = nullptr;
  const char* dir = nullptr;
  if (command != nullptr) {
    cmd = env->GetStringUTFChars(command, nullptr);
    exception_thrown = cmd == nullptr;
  }
  if (!exception_thrown && directory != nullptr) {
    dir = env->GetStringUTFChars(directory, nullptr);
    exception_thrown = dir == nullptr;
  }

  if (!exception_thrown) {
    std::int64_t pid = 0;
    if (cmd == nullptr) {
      printf("Couldn't start the process: no command line\n");
      fflush(stdout);
    } else {
      std::string error;
      pid = spawnlib::start_hidden_process(cmd, dir, &error);
      if (pid <= 0) {
        pid = 0;
        printf("Couldn't start the process \"%s\": %s\n", cmd, error.c_str());
        fflush(stdout);
      }
    }

    jfieldID field = pid_field(env, self);
    if (field == nullptr) {
      printf("Couldn't get the field ID for m_nPID\n");
      fflush(stdout);
    } else {
      // 0 after a failure, so that no stale id is waited on or terminated.
      env->SetIntField(self, field, static_cast<jint>(pid));
    }
  }

  if (cmd != nullptr) env->ReleaseStringUTFChars(command, cmd);
  if (dir != nullptr) env->ReleaseStringUTFChars(directory, dir);
}

SPAWNLIB_EXPORT void JNICALL Java_TORNEL_server_NativeProcess_waitFor(JNIEnv* env, jobject self) {
  finish_stored_process(env, self, false);
}

SPAWNLIB_EXPORT void JNICALL Java_TORNEL_server_NativeProcess_destroy(JNIEnv* env, jobject self) {
  finish_stored_process(env, self, true);
}

}  // extern "C"
