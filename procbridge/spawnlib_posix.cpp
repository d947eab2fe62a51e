// spawnlib for Linux: the three JNI entry points of TORNEL.server.NativeProcess.
// start() runs a command line hidden (own session, standard streams on
// /dev/null, no other inherited descriptors, lowest priority) in a given
// working directory and stores the child's id in the object's int field
// m_nPID; waitFor() and destroy() wait for / kill that child. Nothing is
// kept between calls; every descriptor a call opens is closed before it
// returns.
#include <errno.h>
#include <fcntl.h>
#include <jni.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "command_line.h"

extern char** environ;

#ifndef P_PIDFD
#define P_PIDFD 3
#endif

namespace {

constexpr const char* kPidField = "m_nPID";
constexpr int kIdleNice = 19;

std::string current_directory() {
  std::vector<char> buf(256);
  for (;;) {
    if (getcwd(buf.data(), buf.size()) != nullptr) return buf.data();
    if (errno != ERANGE) return ".";
    buf.resize(buf.size() * 2);
  }
}

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Starts the command hidden; returns 0 and the child's id, or an errno value.
int spawn_hidden(const char* command, const char* directory, pid_t* child) {
  std::vector<std::string> args = spawnlib::split_command_line(command);
  if (args.empty()) return EINVAL;
  const std::string program =
      spawnlib::resolve_program(args[0], current_directory(), getenv("PATH"), is_executable_file);
  if (program.empty()) return ENOENT;

  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  if (int rc = posix_spawn_file_actions_init(&actions); rc != 0) return rc;
  if (int rc = posix_spawnattr_init(&attr); rc != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return rc;
  }
  int rc = 0;
  // Hidden: no terminal, the standard streams go nowhere.
  if (rc == 0) rc = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (rc == 0) rc = posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (rc == 0) rc = posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // No handle of the caller is inherited.
  if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (rc == 0 && directory != nullptr) rc = posix_spawn_file_actions_addchdir_np(&actions, directory);

  // Its own session (its own "console"), no blocked signals, and every
  // signal back to its default action whatever the JVM set up.
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  if (rc == 0) rc = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  if (rc == 0) rc = posix_spawnattr_setsigmask(&attr, &none);
  if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr, &all);

  pid_t pid = 0;
  if (rc == 0) rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return rc;

  // Idle priority; a failure here leaves the child running at normal priority.
  setpriority(PRIO_PROCESS, static_cast<id_t>(pid), kIdleNice);
  *child = pid;
  return 0;
}

// Waits for the child named by m_nPID, killing it first when asked. Acts
// only on a positive id that is still an un-reaped child of this process:
// an id that was reaped and given to another process is never touched.
void finish_child(JNIEnv* env, jobject self, bool kill_first) {
  jclass cls = env->GetObjectClass(self);
  jfieldID field = env->GetFieldID(cls, kPidField, "I");
  if (field == nullptr) return;  // the JVM's NoSuchFieldError stands
  const jint pid = env->GetIntField(self, field);
  if (pid <= 0) return;  // 0 and -1 would name our process group / every process

  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  if (pidfd >= 0) {
    siginfo_t info {};
    if (waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(pidfd), &info,
               WEXITED | WNOHANG | WNOWAIT) == 0) {
      if (kill_first) syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
      while (waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(pidfd), &info, WEXITED) != 0 &&
             errno == EINTR) {
      }
      close(pidfd);
      return;
    }
    const int err = errno;
    close(pidfd);
    if (err != EINVAL) return;  // ECHILD: not our child, or already reaped
    // EINVAL: a kernel with pidfd_open but without P_PIDFD waits
  } else if (errno == ESRCH) {
    return;  // no such process
  }

  // No pidfd (an older kernel, or no descriptor left): an un-reaped
  // child's id cannot be reused, so check that it still is one before
  // signalling it.
  siginfo_t info {};
  if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return;
  if (kill_first) kill(static_cast<pid_t>(pid), SIGKILL);
  while (waitpid(static_cast<pid_t>(pid), nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_TORNEL_server_NativeProcess_start(JNIEnv* env, jobject self, jstring command,
                                                              jstring directory) {
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
    pid_t pid = 0;
    if (cmd == nullptr) {
      printf("Couldn't start the process: no command line\n");
      fflush(stdout);
    } else if (int err = spawn_hidden(cmd, dir, &pid); err != 0) {
      printf("Couldn't start the process \"%s\": %s\n", cmd, strerror(err));
      fflush(stdout);
      pid = 0;
    }

    jclass cls = env->GetObjectClass(self);
    jfieldID field = env->GetFieldID(cls, kPidField, "I");
    if (field == nullptr) {
      printf("Couldn't get the field ID for m_nPID\n");
      fflush(stdout);
    } else {
      // 0 after a failure, so no stale id is later waited on or killed.
      env->SetIntField(self, field, static_cast<jint>(pid));
    }
  }

  if (cmd != nullptr) env->ReleaseStringUTFChars(command, cmd);
  if (dir != nullptr) env->ReleaseStringUTFChars(directory, dir);
}

JNIEXPORT void JNICALL Java_TORNEL_server_NativeProcess_waitFor(JNIEnv* env, jobject self) {
  finish_child(env, self, false);
}

JNIEXPORT void JNICALL Java_TORNEL_server_NativeProcess_destroy(JNIEnv* env, jobject self) {
  finish_child(env, self, true);
}

}  // extern "C"
