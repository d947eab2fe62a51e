// The POSIX backend where Linux has the facility: files and directories,
// the process and its environment, dynamic libraries, threads and locks,
// the single-instance guard (a file lock) and the output pipe (a FIFO read
// with poll, stopped through an eventfd). The facilities that Linux lacks
// are kept in text files (posix_string_resources.cpp,
// posix_registry_file.cpp, posix_event_log_file.cpp) or written to
// standard error (posix_message_output.cpp).
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/platform.h"
#include "platform/posix/posix_text_file.h"
#include "text/command_line.h"

extern char** environ;

namespace platform {

const char kClassPathSeparator = ':';
const char* const kConsoleOutName = "/dev/stdout";
const char* const kJavaHomeJvmSubPath = "\\lib\\server\\libjvm.so";
const char* const kJdkClientSubPath = "lib\\client\\libjvm.so";
const char* const kJdkJrockitSubPath = "lib\\jrockit\\libjvm.so";
const char* const kJdkServerSubPath = "lib\\server\\libjvm.so";
const char* const kJdkClassicSubPath = "lib\\classic\\libjvm.so";
const bool kCrLfLineEnds = false;

std::string NativePath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

namespace {

std::string TempDir() {
  const char* dir = std::getenv("TMPDIR");
  std::string d = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  while (d.size() > 1 && d.back() == '/') d.pop_back();
  return d;
}

}  // namespace

// ---- single-instance guard ----

namespace {
int lock_fd = -1;
}

InstanceLock TakeInstanceLock(const std::string& name) {
  std::string file = name;
  std::replace(file.begin(), file.end(), '/', '_');
  const std::string path = TempDir() + "/srvlaunch-" + file + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceLock::kFailed;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? InstanceLock::kHeldElsewhere : InstanceLock::kFailed;
  }
  lock_fd = fd;
  return InstanceLock::kTaken;
}

void ReleaseInstanceLock() {
  if (lock_fd >= 0) ::close(lock_fd);
  lock_fd = -1;
}

// ---- files and directories ----

bool FilePresent(const std::string& path) {
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  ::close(fd);
  if (!regular) errno = EISDIR;
  return regular;
}

int PathKind(const std::string& path) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return -1;
  return S_ISDIR(st.st_mode) ? 1 : 0;
}

ListResult ListDirectory(const std::string& dir, std::vector<DirEntry>& entries) {
  entries.clear();
  const std::string native = NativePath(dir);
  DIR* d = ::opendir(native.c_str());
  if (d == nullptr) {
    // A directory that is not there lists as empty, as a search that finds no file.
    return errno == ENOENT ? ListResult::kOk : ListResult::kStartFailed;
  }
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(d);
    if (e == nullptr) {
      if (errno != 0) {
        const int err = errno;
        ::closedir(d);
        errno = err;
        return ListResult::kNextFailed;
      }
      break;
    }
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = name;
    const std::string full = native + "/" + name;
    struct stat st {};
    if (::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      entry.link = true;
      struct stat target {};
      entry.directory = ::stat(full.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    } else {
      entry.directory = S_ISDIR(st.st_mode);
    }
    entries.push_back(std::move(entry));
  }
  ::closedir(d);
  // The order of a Windows directory search: by name.
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return ListResult::kOk;
}

bool TempPath(std::string& out) {
  out = TempDir() + "/";
  return true;
}

// Only the user may enter what the launcher makes there.
bool MakeDirectory(const std::string& dir) {
  const std::string native = NativePath(dir);
  if (::mkdir(native.c_str(), 0700) == 0) return true;
  struct stat st {};
  return errno == EEXIST && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool OwnDirectory(const std::string& dir) {
  struct stat st {};
  if (::lstat(NativePath(dir).c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    errno = EPERM;
    return false;
  }
  return true;
}

namespace {

// A FILETIME counts 100 ns units from 1601; the system's clock counts from 1970.
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000ULL;

std::uint64_t FileTimeOf(const struct timespec& t) {
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(t.tv_sec) * kFileTimeUnitsPerSecond +
                                    t.tv_nsec / 100) +
         kFileTimeOf1970;
}

struct timespec TimespecOf(std::uint64_t file_time) {
  const auto units = static_cast<std::int64_t>(file_time - kFileTimeOf1970);
  std::int64_t seconds = units / kFileTimeUnitsPerSecond;
  std::int64_t rest = units % kFileTimeUnitsPerSecond;
  if (rest < 0) {  // the seconds round down, the nanoseconds stay positive
    rest += kFileTimeUnitsPerSecond;
    --seconds;
  }
  struct timespec t {};
  t.tv_sec = static_cast<time_t>(seconds);
  t.tv_nsec = static_cast<long>(rest * 100);
  return t;
}

// Ends a failed write: the partial file goes, the error stays.
WriteResult FailWrite(int fd, const std::string& part, WriteResult result) {
  const int err = errno;
  if (fd >= 0) ::close(fd);
  ::unlink(part.c_str());
  errno = err;
  return result;
}

}  // namespace

int ReadFileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& file_time) {
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  ::close(fd);
  if (!known) return -1;
  size = static_cast<std::uint64_t>(st.st_size);
  file_time = FileTimeOf(st.st_mtim);
  return 1;
}

// The data goes into a new file beside the target, which then replaces the
// target in one step: a program that has the old file open or mapped keeps
// reading the old contents. The new file is created exclusively, so it is
// never a link planted in the directory.
WriteResult WriteNewFile(const std::string& path, const std::string& data, std::uint64_t file_time) {
  const std::string native = NativePath(path);
  const std::string part = native + ".part-" + std::to_string(::getpid());
  int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0 && errno == EEXIST && ::unlink(part.c_str()) == 0) {
    fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  }
  if (fd < 0) {
    const int err = errno;
    struct stat st {};
    const bool exists = ::lstat(native.c_str(), &st) == 0;
    errno = err;
    return exists ? WriteResult::kInUse : WriteResult::kCreateFailed;
  }
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return FailWrite(fd, part, WriteResult::kWriteFailed);
    }
    done += static_cast<std::size_t>(n);
  }
  const struct timespec times[2] = {{0, UTIME_OMIT}, TimespecOf(file_time)};
  if (::futimens(fd, times) != 0) return FailWrite(fd, part, WriteResult::kTimeFailed);
  if (::close(fd) != 0) return FailWrite(-1, part, WriteResult::kWriteFailed);
  if (::rename(part.c_str(), native.c_str()) != 0) {
    // Only a directory of that name stands in the way of a rename here.
    return FailWrite(-1, part, errno == EISDIR ? WriteResult::kInUse : WriteResult::kCreateFailed);
  }
  return WriteResult::kOk;
}

bool RemoveFile(const std::string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool RemoveEmptyDirectory(const std::string& dir) { return ::rmdir(NativePath(dir).c_str()) == 0; }

// ---- process and environment ----

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

// The program runs in a session of its own, so that it outlives the
// launcher's terminal and process group.
bool StartDetachedProcess(const std::string& exe, const std::string& command_line, const std::string& dir) {
  std::vector<std::string> args = srvlaunch::SplitCommandLine(command_line, false);
  if (args.empty()) return false;
  args[0] = NativePath(exe);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  const std::string native_dir = NativePath(dir);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, native_dir.c_str());
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, args[0].c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) errno = rc;
  return rc == 0;
}

namespace {

// True when the process is gone or has ended and waits to be reaped.
bool ProcessEnded(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
  std::string stat;
  if (!ReadTextFile("/proc/" + std::to_string(pid) + "/stat", stat)) return true;
  const std::size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

}  // namespace

void WaitForProcessEnd(unsigned long pid, unsigned timeout_ms) {
  if (pid == 0 || pid > static_cast<unsigned long>(INT32_MAX)) return;
  const auto id = static_cast<pid_t>(pid);
#ifdef SYS_pidfd_open
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, id, 0));
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, static_cast<int>(timeout_ms)) < 0 && errno == EINTR) {
    }
    ::close(fd);
    return;
  }
  if (errno == ESRCH) return;
#endif
  constexpr unsigned kStepMs = 100;
  for (unsigned waited = 0; waited < timeout_ms && !ProcessEnded(id); waited += kStepMs) SleepMs(kStepMs);
}

bool CurrentDirectory(std::string& out) {
  char buf[4096];
  if (::getcwd(buf, sizeof buf) == nullptr) return false;
  out = buf;
  return true;
}

bool ChangeDirectory(const std::string& dir) { return ::chdir(NativePath(dir).c_str()) == 0; }

bool ExePath(std::string& out) {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return false;
  out.assign(buf, static_cast<std::size_t>(n));
  return true;
}

bool GetEnv(const std::string& name, std::string& out) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return false;
  out = value;
  return true;
}

bool SetEnv(const std::string& name, const std::string& value) {
  return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool SpecialFoldersAvailable() { return true; }

bool SpecialFolder(int csidl, std::string& out) {
  std::string home;
  if (!GetEnv("HOME", home) || home.empty()) return false;
  std::string xdg;
  switch (csidl) {
    case kFolderAppData:
      out = GetEnv("XDG_CONFIG_HOME", xdg) && !xdg.empty() ? xdg : home + "/.config";
      return true;
    case kFolderLocalAppData:
      out = GetEnv("XDG_DATA_HOME", xdg) && !xdg.empty() ? xdg : home + "/.local/share";
      return true;
    case kFolderPersonal:
      out = home;
      return true;
    default:
      return false;
  }
}

void SetPriorityIndex(int index) {
  static const int nice_values[6] = {-20, -10, -5, 0, 5, 19};
  if (index < 0 || index > 5) return;
  ::setpriority(PRIO_PROCESS, 0, nice_values[index]);  // a refusal leaves the priority as it is
}

std::string LastErrorText(std::size_t max_chars) {
  const int err = errno;
  char buf[512];
  const char* stand_in = StandInErrorText(err);
  std::string text = stand_in != nullptr ? stand_in : ::strerror_r(err, buf, sizeof buf);
  if (text.size() > max_chars) text.resize(max_chars);
  return text;
}

namespace {
std::string fifo_path;
}

void ExitWithStatus(int code) {
  std::fflush(nullptr);
  if (!fifo_path.empty()) ::unlink(fifo_path.c_str());
  ::_exit(code);
}

void AbortProcess() {
  std::fflush(nullptr);
  if (!fifo_path.empty()) ::unlink(fifo_path.c_str());
  std::abort();
}

void SleepMs(unsigned ms) { ::usleep(static_cast<useconds_t>(ms) * 1000); }

bool ToUtf16(const std::string& text, std::u16string& out) {
  // The 8-bit text is UTF-8 here; a byte that is not part of a valid
  // sequence stands for the character of the same number.
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned c = s[i];
    unsigned cp = c;
    std::size_t len = 1;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    }
    bool valid = len == 1 || i + len <= n;
    for (std::size_t k = 1; valid && k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) valid = false;
      else cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (valid && len > 1) {
      const unsigned min[5] = {0, 0, 0x80, 0x800, 0x10000};
      if (cp < min[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) valid = false;
    }
    if (!valid) {
      cp = c;
      len = 1;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return true;
}

// ---- operating system and console ----

bool OsVersionKnown() {
  struct utsname u {};
  return ::uname(&u) == 0;
}

// The process writes to the terminal or pipe it was started with.
bool OpenConsole() { return true; }

// There is no log-off event to claim for a process here.
void InstallConsoleCtrlHandler() {}

// The Windows 9x console never applies here.
bool IsWin9x() { return false; }
int HideConsole9x() { return 0; }
void InstallQuitHook9x() {}
void RemoveQuitHook9x() {}
int ReadConsole9x(std::string& out) {
  out.clear();
  return 0;
}
int ClearConsole9x() { return 0; }

// ---- dynamic libraries ----

void* OpenLibrary(const std::string& path) { return ::dlopen(NativePath(path).c_str(), RTLD_NOW); }

void* LibrarySymbol(void* lib, const char* name) { return lib == nullptr ? nullptr : ::dlsym(lib, name); }

// ---- threads and locks ----

struct Thread {
  void (*fn)(void*) = nullptr;
  void* arg = nullptr;
  std::mutex mutex;
  std::condition_variable ended_cv;
  bool ended = false;
};

namespace {

void* ThreadMain(void* p) {
  auto* t = static_cast<Thread*>(p);
  t->fn(t->arg);
  {
    std::lock_guard<std::mutex> guard(t->mutex);
    t->ended = true;
  }
  t->ended_cv.notify_all();
  return nullptr;
}

}  // namespace

Thread* StartThread(void (*fn)(void*), void* arg) {
  auto* t = new Thread;
  t->fn = fn;
  t->arg = arg;
  pthread_t id;
  if (::pthread_create(&id, nullptr, ThreadMain, t) != 0) {
    delete t;
    return nullptr;
  }
  ::pthread_detach(id);
  return t;  // lives as long as the process, as a thread handle would
}

bool WaitForThread(Thread* t, int timeout_ms) {
  std::unique_lock<std::mutex> lock(t->mutex);
  if (timeout_ms < 0) {
    t->ended_cv.wait(lock, [t] { return t->ended; });
    return true;
  }
  return t->ended_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [t] { return t->ended; });
}

struct Lock {
  std::mutex mutex;
};

Lock* CreateLock() { return new Lock; }
void EnterLock(Lock* l) { l->mutex.lock(); }
void LeaveLock(Lock* l) { l->mutex.unlock(); }

struct SyncEvent {
  std::mutex mutex;
  std::condition_variable cv;
  bool signalled = false;
};

SyncEvent* CreateSyncEvent() { return new SyncEvent; }

void SignalSyncEvent(SyncEvent* e) {
  if (e == nullptr) return;
  {
    std::lock_guard<std::mutex> guard(e->mutex);
    e->signalled = true;
  }
  e->cv.notify_one();
}

void WaitSyncEvent(SyncEvent* e) {
  std::unique_lock<std::mutex> lock(e->mutex);
  e->cv.wait(lock, [e] { return e->signalled; });
  e->signalled = false;  // auto-reset: the wait takes the signal
}

// ---- the output pipe ----

namespace {
int fifo_fd = -1;
int stop_fd = -1;
std::atomic<bool> stopping{false};
}  // namespace

bool CreateOutputPipe(std::string& java_name) {
  const std::string path = TempDir() + "/srvlaunch-pipe-" + std::to_string(::getpid());
  // The reading end is open from the start, so Java's open for writing does
  // not wait for the reader thread.
  const int fd = OpenNewFifo(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const int efd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (efd < 0) {
    const int err = errno;
    ::close(fd);
    ::unlink(path.c_str());
    errno = err;
    return false;
  }
  fifo_fd = fd;
  stop_fd = efd;
  stopping = false;
  fifo_path = path;
  java_name = path;
  return true;
}

long ReadOutputPipe(char* buf, std::size_t size) {
  if (fifo_fd < 0) return 0;
  for (;;) {
    if (stopping) {
      // Take what is waiting, then end.
      const ssize_t n = ::read(fifo_fd, buf, size);
      if (n > 0) return static_cast<long>(n);
      if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) return 0;
      if (errno == EINTR) continue;
      return -1;
    }
    pollfd fds[2] = {{fifo_fd, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    const int r = ::poll(fds, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (fds[1].revents != 0) {
      stopping = true;
      continue;
    }
    if (fds[0].revents != 0) {
      const ssize_t n = ::read(fifo_fd, buf, size);
      if (n > 0) return static_cast<long>(n);
      if (n == 0) return 0;  // no writer left
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return -1;
    }
  }
}

void StopOutputPipeReader() {
  if (stop_fd < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(stop_fd, &one, sizeof one);
}

void CloseOutputPipe() {
  if (fifo_fd >= 0) ::close(fifo_fd);
  if (stop_fd >= 0) ::close(stop_fd);
  fifo_fd = -1;
  stop_fd = -1;
  if (!fifo_path.empty()) ::unlink(fifo_path.c_str());
  fifo_path.clear();
}

}  // namespace platform
