// The launcher's process-wide state: the configuration record filled once
// at start-up and the handles and flags that the start-up, the virtual
// machine's hooks, the main class call and the message router share.
#ifndef SRVLAUNCH_LAUNCHER_STATE_H
#define SRVLAUNCH_LAUNCHER_STATE_H

#include <jni.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace platform {
struct Thread;
}

namespace srvlaunch {

// Every setting of the launcher, read from the string resources and the
// optional INI file before the virtual machine starts.
struct LauncherConfig {
  std::string JniVersionText;        // 1024, e.g. "0x00010006"
  std::int32_t JniVersion = 0;       // 1024 read as hexadecimal
  std::string JvmPathList;           // 1040, ';' list; the found path after the search
  std::string JvmOptions;            // 1056 or INI; the class-path option is appended
  std::string ClassPath;             // 1072, ';' list
  std::int32_t JarDirMode = 0;       // 1104
  std::string JvmSearchOrder;        // 1120, digits 0 to 5
  std::string InstallOption;         // 1136
  std::string UninstallOption;       // 1152
  std::string ServiceModeOption;     // 1168
  std::string WorkingDir;            // 1184
  std::string MainClass;             // 1200 deciphered, '.' turned into '/'
  std::string AppOptions;            // 1216 or INI
  std::string IniFile;               // 1232
  bool UseStartupDir = false;        // 1248
  bool WorkingDirFirst = false;      // 1264
  std::string ServiceName;           // 1280
  std::string ServiceDescription;    // 1296
  bool DemandStart = false;          // 1360
  bool AllowMultipleInstances = false;  // 1392
  std::int32_t StdOutMode = 0;       // 1408; INI StdOutFile sets 1, ShowConsole 0
  std::int32_t StdErrMode = 0;       // 1424
  std::string StdOutFile;            // 1440 or INI
  std::string StdErrFile;            // 1456 or INI
  std::int32_t SplashSeconds = 0;    // 1504
  bool ServiceOnly = false;          // 1552
  std::string StaticOptions;         // 1568 or INI
  bool ShowConsole = false;          // INI only
};

// Handles and flags shared by the launcher's routines and threads. The
// flags are atomic: the virtual machine's threads (through its hooks) and
// the output pipe reader read and change them while the start-up runs.
struct LauncherState {
  // Start-up.
  std::string StartupDir;            // the current directory at start
  std::atomic<bool> MutexHeld{false};  // the single-instance guard is taken

  // Java runtime (set by StartJvm).
  void* JvmLibrary = nullptr;
  JavaVM* JvmHandle = nullptr;
  JNIEnv* JniEnvMain = nullptr;
  std::string RegistryJavaHome;      // JavaHome of the last registry version key examined
  std::atomic<bool> IsWindows9x{false};
  std::atomic<bool> QuitHookInstalled{false};

  // Output routing.
  std::atomic<bool> OutputPipeOpen{false};
  platform::Thread* PipeReader = nullptr;
  std::atomic<bool> ErrorMessagesEnabled{true};

  // Messages go to the event log instead of message boxes.
  std::atomic<bool> ServiceMode{false};
};

extern LauncherConfig config;
extern LauncherState state;

// Puts the configuration and the state back to their initial values
// (used by tests that run several start-ups in one process).
void ResetLauncherState();

}  // namespace srvlaunch

#endif
