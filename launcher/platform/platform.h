// The small interface between the launcher's logic and the operating
// system. Every function stands for one facility that the launcher uses;
// the Win32 backend calls the real Windows API, the POSIX backend uses the
// Linux equivalent or a stand-in of its own. Paths and lists reach the
// backend as the configuration writes them ('\' separators, ';' lists);
// the backend turns them into its own form at every file-system call.
#ifndef SRVLAUNCH_PLATFORM_H
#define SRVLAUNCH_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// ---- constants of the platform ----
// Separator of the native class-path list (';' on Windows, ':' on POSIX).
extern const char kClassPathSeparator;
// The file name that Java opens to write to the launcher's console.
extern const char* const kConsoleOutName;
// Below a Java home: the runtime library for the JAVA_HOME method.
extern const char* const kJavaHomeJvmSubPath;
// Below a JDK home, for the registry methods: client, jrockit, server, classic.
extern const char* const kJdkClientSubPath;
extern const char* const kJdkJrockitSubPath;
extern const char* const kJdkServerSubPath;
extern const char* const kJdkClassicSubPath;
// Whether Java's line feeds become carriage return and line feed in the tail.
extern const bool kCrLfLineEnds;

// A path in the native form of the platform ('\' becomes '/' on POSIX).
std::string NativePath(const std::string& path);

// ---- resources ----
// The text of string resource `id`; the empty text when there is none.
std::string ResourceString(unsigned id);
// The bytes of RCDATA resource `id`; false when there is none or it cannot
// be loaded.
bool ResourceData(unsigned id, std::string& out);

// ---- INI file ----
// The value of `key` in `section` of the INI file at `path`, with the
// Windows profile rules; the empty text when there is none.
std::string IniValue(const std::string& path, const std::string& section, const std::string& key);

// ---- registry, below HKEY_LOCAL_MACHINE ----
// 0: a text value (REG_SZ or REG_EXPAND_SZ) was read into `out`, cut to
// `max_chars`; 1: no such value or another type; -1: the key does not open.
int ReadRegistryString(const std::string& key, const std::string& name, std::string& out,
                       std::size_t max_chars);
// The names of the sub-keys of `key` in enumeration order; false when the
// key does not open.
bool RegistrySubKeys(const std::string& key, std::vector<std::string>& names);
// Creates or opens `key` with full access; 0 on success.
int CreateRegistryKey(const std::string& key);
// Set a REG_EXPAND_SZ or REG_DWORD value: 0 on success, 1 when the value
// cannot be set, -1 when the key does not open.
int WriteRegistryExpandString(const std::string& key, const std::string& name, const std::string& text);
int WriteRegistryDword(const std::string& key, const std::string& name, std::uint32_t value);

// ---- event log ----
bool OpenEventSource(const std::string& source);
bool EventSourceIsOpen();
bool ReportToEventLog(bool error, unsigned long event_id, const std::string& text);
void CloseEventSource();

// ---- service control manager ----
struct ServiceHandle;
// The manager of the local machine opened with `access`; null on failure.
ServiceHandle* OpenServiceManager(unsigned long access);
// An installed service; null on failure.
ServiceHandle* OpenServiceEntry(ServiceHandle* manager, const std::string& name, unsigned long access);
// True when the last failure was that the service does not exist (1060).
bool LastErrorIsNoSuchService();
struct ServiceDefinition {
  std::string name;
  std::string display_name;
  unsigned long access = 0;
  unsigned long type = 0;           // 0x10 own process, 0x110 interacting with the desktop
  unsigned long start_type = 0;     // 2 automatic, 3 on demand
  unsigned long error_control = 0;  // 1 normal
  std::string command_line;
  std::string dependencies;         // names each ended by a NUL, a second NUL at the end; empty: none
};
// Installs a service under the local system account; null on failure.
ServiceHandle* CreateServiceEntry(ServiceHandle* manager, const ServiceDefinition& service);
bool DeleteServiceEntry(ServiceHandle* service);
void CloseServiceEntry(ServiceHandle* handle);
// Connects the calling thread to the manager as the dispatcher of the one
// service `name`, whose entry `service_main` runs on a thread of its own;
// returns when the service has stopped. False when the connection fails.
bool RunServiceDispatcher(const std::string& name, void (*service_main)());
// The control handler of the running service; false on failure.
bool RegisterServiceHandler(const std::string& name, void (*handler)(unsigned long control));
struct ServiceStatusRecord {
  unsigned long type = 0;
  unsigned long state = 0;
  unsigned long controls_accepted = 0;
  unsigned long win32_exit_code = 0;
  unsigned long specific_exit_code = 0;
  unsigned long check_point = 0;
  unsigned long wait_hint = 0;
};
bool ReportServiceStatus(const ServiceStatusRecord& status);

// ---- user interface ----
// Lets windows of the process come to the front (no-op where meaningless).
void AllowForegroundWindows();
// A message box captioned "Error" or "Information".
void ShowMessageBox(bool error, const std::string& text);
// The details dialog: the message and the captured details.
void ShowDetailsDialog(const std::string& message, const std::string& details);
// The splash window (bitmap 8000), shown by a thread of its own until the
// process shows a window of its own (`until_app_window`) or for `seconds`.
struct SplashSettings {
  std::string text;
  bool until_app_window = false;
  int seconds = 0;
};
// False when the splash thread cannot be started (or there is no window
// system).
bool StartSplashThread(const SplashSettings& settings);
// 1 once the splash window exists, 0 while it is being made, -1 when it
// cannot be made.
int SplashWindowState();

// ---- single-instance guard ----
enum class InstanceLock { kTaken, kHeldElsewhere, kFailed };
InstanceLock TakeInstanceLock(const std::string& name);
void ReleaseInstanceLock();

// ---- files and directories ----
// True when the file can be opened for reading.
bool FilePresent(const std::string& path);
// -1 when nothing of that name exists, 1 for a directory, 0 for a file.
int PathKind(const std::string& path);
struct DirEntry {
  std::string name;
  bool directory = false;
  bool link = false;  // a symbolic link or reparse point
};
enum class ListResult { kOk, kStartFailed, kNextFailed };
// The entries of a directory other than "." and "..".
ListResult ListDirectory(const std::string& dir, std::vector<DirEntry>& entries);
// The user's temporary directory, ending in its separator.
bool TempPath(std::string& out);
// Creates a directory; true when it exists afterwards.
bool MakeDirectory(const std::string& dir);
// True when `dir` is a directory itself (not a link or reparse point to
// one) and, where the system has owners, the user's own. Otherwise false,
// with the last error saying why.
bool OwnDirectory(const std::string& dir);
// Opens an existing file for reading: 1 with its size and last-write time
// (a Windows FILETIME: 100 ns units since 1601), 0 when it cannot be
// opened, -1 when its size cannot be read.
int ReadFileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& file_time);
// kInUse: the file cannot be created but exists (a running program holds it).
enum class WriteResult { kOk, kInUse, kCreateFailed, kWriteFailed, kTimeFailed };
// Writes a file anew, shared with no one while it is written, and gives it
// the last-write time. A file in use by a running program is never changed
// under it. On a failure the last error stays that of the failed step.
WriteResult WriteNewFile(const std::string& path, const std::string& data, std::uint64_t file_time);
bool RemoveFile(const std::string& path);
bool RemoveEmptyDirectory(const std::string& dir);

// ---- process and environment ----
bool CurrentDirectory(std::string& out);
unsigned long CurrentProcessId();
// Starts `exe` with `command_line` (the program in quotes, then its
// arguments) in `dir`: detached, without console or window, not waited for.
bool StartDetachedProcess(const std::string& exe, const std::string& command_line, const std::string& dir);
// Waits until process `pid` has ended, at most `timeout_ms`; at once when
// it cannot be opened (it has ended already).
void WaitForProcessEnd(unsigned long pid, unsigned timeout_ms);
bool ChangeDirectory(const std::string& dir);
bool ExePath(std::string& out);
bool GetEnv(const std::string& name, std::string& out);
bool SetEnv(const std::string& name, const std::string& value);
// True when the special-folder service is available at all.
bool SpecialFoldersAvailable();
// The special folders, by their Windows numbers.
constexpr int kFolderAppData = 26;
constexpr int kFolderLocalAppData = 28;
constexpr int kFolderPersonal = 5;
// The path of a special folder, without creating it.
bool SpecialFolder(int csidl, std::string& out);
// Priority index 0 to 5: realtime, high, above normal, normal, below normal, idle.
void SetPriorityIndex(int index);
// The system's text for the calling thread's last error, at most `max_chars`.
std::string LastErrorText(std::size_t max_chars);
[[noreturn]] void ExitWithStatus(int code);
[[noreturn]] void AbortProcess();
void SleepMs(unsigned ms);
// Text in the system's 8-bit code page as UTF-16.
bool ToUtf16(const std::string& text, std::u16string& out);

// ---- operating system version and console ----
bool OsVersionKnown();
bool IsWin9x();
// Creates a console for the process and reopens the standard streams on it.
bool OpenConsole();
// Windows 9x only: a hidden console for the Java output; returns 0 or the
// code of the internal error that stopped it.
int HideConsole9x();
void InstallQuitHook9x();
void RemoveQuitHook9x();
// Windows 9x only: the text of the hidden console, rows joined; 0 or the
// code of the internal error.
int ReadConsole9x(std::string& out);
int ClearConsole9x();
// Claims the log-off event of the console.
void InstallConsoleCtrlHandler();

// ---- dynamic libraries ----
void* OpenLibrary(const std::string& path);
void* LibrarySymbol(void* lib, const char* name);

// ---- threads and locks ----
struct Thread;
Thread* StartThread(void (*fn)(void*), void* arg);
// Waits until the thread has ended, at most `timeout_ms` (-1: no limit);
// true when it has ended. The handle stays valid.
bool WaitForThread(Thread* t, int timeout_ms);
struct Lock;
Lock* CreateLock();
void EnterLock(Lock* l);
void LeaveLock(Lock* l);
// An auto-reset event, created unsignalled: a wait takes the signal. It
// is never closed: a thread may signal it at any time.
struct SyncEvent;
SyncEvent* CreateSyncEvent();
void SignalSyncEvent(SyncEvent* e);
void WaitSyncEvent(SyncEvent* e);

// ---- the output pipe ----
// Creates the launcher's pipe; `java_name` is the name under which Java
// opens its writing end.
bool CreateOutputPipe(std::string& java_name);
// Reads what the Java side wrote: the byte count, 0 at the end (no writer
// left, or the reader was asked to stop and nothing more is waiting), -1
// on a failure.
long ReadOutputPipe(char* buf, std::size_t size);
// Asks the reader to take what is waiting and then end.
void StopOutputPipeReader();
// Releases the pipe.
void CloseOutputPipe();

}  // namespace platform

#endif
