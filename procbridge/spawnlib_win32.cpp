// spawnlib for 32-bit Windows: the three JNI entry points of
// TORNEL.server.NativeProcess. start() runs a command line as a hidden
// process with its own console at idle priority in a given working
// directory and stores its id in the object's int field m_nPID; waitFor()
// and destroy() wait for / terminate that process. Nothing is kept
// between calls; every handle a call opens is closed before it returns.
// The functions are stdcall (JNICALL) and exported by spawnlib.def under
// their decorated names only.
#include <jni.h>
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

constexpr const char* kPidField = "m_nPID";
constexpr DWORD kCreationFlags = 0x850;  // CREATE_NEW_CONSOLE | IDLE_PRIORITY_CLASS | CREATE_SEPARATE_WOW_VDM
constexpr DWORD kProcessAccess = 0x1F0FFF;
constexpr UINT kTerminatedExitCode = 0xFFFFFFFF;

static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFO must have the Win32 layout");

// True unless the process is known not to have been created by this
// process: its parent id must be ours and it must have started after we
// did (an id is reused only after its process has gone). A process list
// that cannot be read proves nothing, and the process is then taken as ours.
bool created_by_us(HANDLE process, DWORD pid) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return true;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  bool listed = false;
  DWORD parent = 0;
  for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry)) {
    if (entry.th32ProcessID == pid) {
      listed = true;
      parent = entry.th32ParentProcessID;
      break;
    }
  }
  CloseHandle(snap);
  if (!listed) return false;  // it has ended already
  if (parent != GetCurrentProcessId()) return false;

  FILETIME child_created, ours_created, unused1, unused2, unused3;
  if (!GetProcessTimes(process, &child_created, &unused1, &unused2, &unused3) ||
      !GetProcessTimes(GetCurrentProcess(), &ours_created, &unused1, &unused2, &unused3)) {
    return true;
  }
  return CompareFileTime(&child_created, &ours_created) >= 0;
}

// Waits for the process named by m_nPID, terminating it first when asked.
void finish_process(JNIEnv* env, jobject self, bool terminate_first) {
  jclass cls = env->GetObjectClass(self);
  jfieldID field = env->GetFieldID(cls, kPidField, "I");
  if (field == nullptr) return;  // the JVM's NoSuchFieldError stands
  const jint pid = env->GetIntField(self, field);
  if (pid <= 0) return;

  HANDLE process = OpenProcess(kProcessAccess, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return;  // no such process any more
  if (created_by_us(process, static_cast<DWORD>(pid))) {
    if (terminate_first) TerminateProcess(process, kTerminatedExitCode);
    WaitForSingleObject(process, INFINITE);
  }
  CloseHandle(process);
}

}  // namespace

extern "C" {

void JNICALL Java_TORNEL_server_NativeProcess_start(JNIEnv* env, jobject self, jstring command, jstring directory) {
  // A null string means no command / the caller's directory; a string the
  // JVM cannot convert leaves its OutOfMemoryError pending, and then no
  // further JNI call but the releases may be made.
  bool pending = false;
  const char* cmd = nullptr;
  const char* dir = nullptr;
  if (command != nullptr) {
    cmd = env->GetStringUTFChars(command, nullptr);
    pending = cmd == nullptr;
  }
  if (!pending && directory != nullptr) {
    dir = env->GetStringUTFChars(directory, nullptr);
    pending = dir == nullptr;
  }

  if (!pending) {
    DWORD pid = 0;
    if (cmd == nullptr) {
      printf("Couldn't start the process: no command line\n");
      fflush(stdout);
    } else {
      STARTUPINFOA startup;
      memset(&startup, 0, sizeof startup);
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = SW_HIDE;
      PROCESS_INFORMATION info;
      memset(&info, 0, sizeof info);
      // CreateProcessA may write into the command line: give it a copy.
      std::vector<char> line(cmd, cmd + strlen(cmd) + 1);
      if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, kCreationFlags, nullptr, dir, &startup,
                         &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        pid = info.dwProcessId;
      } else {
        printf("Couldn't start the process \"%s\": error %lu\n", cmd, static_cast<unsigned long>(GetLastError()));
        fflush(stdout);
      }
    }

    jclass cls = env->GetObjectClass(self);
    jfieldID field = env->GetFieldID(cls, kPidField, "I");
    if (field == nullptr) {
      printf("Couldn't get the field ID for m_nPID\n");
      fflush(stdout);
    } else {
      // 0 after a failure, so no stale id is later waited on or terminated.
      env->SetIntField(self, field, static_cast<jint>(pid));
    }
  }

  if (cmd != nullptr) env->ReleaseStringUTFChars(command, cmd);
  if (dir != nullptr) env->ReleaseStringUTFChars(directory, dir);
}

void JNICALL Java_TORNEL_server_NativeProcess_waitFor(JNIEnv* env, jobject self) {
  finish_process(env, self, false);
}

void JNICALL Java_TORNEL_server_NativeProcess_destroy(JNIEnv* env, jobject self) {
  finish_process(env, self, true);
}

}  // extern "C"
