// spawnlib's process facility on Linux. A process is started with
// posix_spawn: its own session, standard streams on /dev/null, no other
// inherited descriptors, every signal at its default, the given working
// directory, then nice 19. The command line is split by the Windows rules
// and a relative program is found from the caller's directory. Waiting and
// killing go through a pidfd and act only on an un-reaped child of this
// process, so an id that was reused by another process is never touched.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "process_control.h"

extern char** environ;

#ifndef P_PIDFD
#define P_PIDFD 3
#endif

namespace spawnlib {

namespace {

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

// Starts the program with argv; returns 0 and the child's id, or an errno value.
int spawn_hidden(const std::string& program, std::vector<char*>& argv, const char* directory, pid_t* child) {
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
  // No descriptor of the caller is inherited.
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
  if (rc == 0) {
    rc = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  if (rc == 0) rc = posix_spawnattr_setsigmask(&attr, &none);
  if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr, &all);

  pid_t pid = 0;
  if (rc == 0) rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return rc;

  // Idle priority; a failure here leaves the child at normal priority.
  setpriority(PRIO_PROCESS, static_cast<id_t>(pid), kIdleNice);
  *child = pid;
  return 0;
}

}  // namespace

std::int64_t start_hidden_process(const char* command, const char* directory, std::string* error) {
  std::vector<std::string> args = split_command_line(command);
  if (args.empty()) {
    *error = "no program named";
    return 0;
  }
  const std::string program = resolve_program(args[0], current_directory(), getenv("PATH"), is_executable_file);
  if (program.empty()) {
    *error = strerror(ENOENT);
    return 0;
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  if (int err = spawn_hidden(program, argv, directory, &pid); err != 0) {
    *error = strerror(err);
    return 0;
  }
  return pid;
}

void finish_process(std::int64_t id, bool terminate_first) {
  if (id <= 0 || id > INT32_MAX) return;
  const auto pid = static_cast<pid_t>(id);

  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    siginfo_t info {};
    if (waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG | WNOWAIT) ==
        0) {
      if (terminate_first) syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
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
  if (terminate_first) kill(pid, SIGKILL);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace spawnlib
