// The launcher's process-wide state: the configuration record filled once
// at start-up and the handles and flags that the start-up, the virtual
// machine's hooks, the main class call and the message router share.
#ifndef SRVLAUNCH_LAUNCHER_STATE_H
#define SRVLAUNCH_LAUNCHER_STATE_H

#include <jni.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {
struct Thread;
}

namespace srvlaunch {

// Where a Java standard stream goes (stdout_mode, stderr_mode): left as it
// is (or onto the launcher's console with show_console), into the
// configured file, or through the launcher's pipe into the output tail.
enum OutputMode : std::int32_t { kOutputUnchanged = 0, kOutputToFile = 1, kOutputToPipe = 2 };

// Every setting of the launcher, read by LoadConfiguration from the string
// resources (by id, see SettingId) and the optional INI file before the
// virtual machine starts.
struct LauncherConfig {
  std::string jni_version_text;           // 1024, e.g. "0x00010006"; the required Java version
  std::int32_t jni_version = 0;           // 1024 read as hexadecimal
  std::string jvm_path_list;              // 1040, ';' list; the found path after the search
  std::string jvm_options;                // 1056 or INI; the class-path option is appended
  std::string class_path;                 // 1072, ';' list; the extracted jar files are appended
  bool remove_jars_at_exit = false;       // 1088; the clean-up copy deletes the extracted jar files
  std::int32_t jar_dir_mode = 0;          // 1104; where embedded jar files go: 0 ".", 1 ".\\" stored main class, 2 temp dir + it
  std::string jvm_search_order;           // 1120, digits 0 to 5
  std::string install_option;             // 1136
  std::string uninstall_option;           // 1152
  std::string service_mode_option;        // 1168
  std::string working_dir;                // 1184
  std::string main_class_stored;          // 1200 as stored; names the extraction sub-directory
  std::string main_class;                 // 1200 deciphered, '.' turned into '/'
  std::string app_options;                // 1216 or INI
  std::string ini_file;                   // 1232
  bool use_startup_dir = false;           // 1248
  bool working_dir_first = false;         // 1264
  std::string service_name;               // 1280
  std::string service_description;        // 1296
  std::string service_start_args;         // 1312; main's arguments in service mode
  std::string service_stop_args;          // 1328; main's arguments of the call that stops the service
  bool stop_by_system_exit = false;       // 1344; the service stops through System.exit(0) instead
  bool demand_start = false;              // 1360; service started on demand (3) instead of automatically (2)
  bool interactive_service = false;       // 1376; service type 0x110 instead of 0x10
  bool allow_multiple_instances = false;  // 1392
  std::int32_t stdout_mode = kOutputUnchanged;  // 1408, an OutputMode; INI StdOutFile sets kOutputToFile
  std::int32_t stderr_mode = kOutputUnchanged;  // 1424, as stdout_mode; INI StdErrFile sets kOutputToFile
  std::string stdout_file;                // 1440 or INI
  std::string stderr_file;                // 1456 or INI
  std::string splash_text;                // 1472; the splash window's text
  bool show_splash = false;               // 1488; the splash stays until the Java program shows a window
  std::int32_t splash_seconds = 0;        // 1504; seconds the splash window stays; not 0 also shows it
  std::string service_dependencies;       // 1536; ';' list of services this one depends on
  bool service_only = false;              // 1552
  std::string static_options;             // 1568 or INI
  bool service_args_on_command_line = false;  // 1584; name, description and start type follow the option words
  bool show_console = false;              // INI only; true sets both modes to kOutputUnchanged
};

// Handles and flags shared by the launcher's routines and threads. The
// flags are atomic: the virtual machine's threads (through its hooks) and
// the output pipe reader read and change them while the start-up runs.
struct LauncherState {
  std::optional<std::string> first_argument;      // command-line argument 1, when there is one
  std::string startup_dir;                        // the current directory at start
  std::atomic<bool> instance_guard_held{false};   // the single-instance guard is taken

  // Java runtime, set by StartJvm.
  void* jvm_library = nullptr;
  std::atomic<JavaVM*> jvm{nullptr};              // read by the service's stop thread
  JNIEnv* main_env = nullptr;                     // the environment of the creating thread
  std::string registry_java_home;                 // JavaHome of the last registry version key examined
  std::atomic<bool> windows_9x{false};
  std::atomic<bool> quit_hook_installed{false};   // Windows 9x only

  // Output routing.
  std::atomic<bool> output_pipe_open{false};
  platform::Thread* pipe_reader = nullptr;
  std::atomic<bool> error_messages_enabled{true};  // false while the streams are redirected

  // Messages go to the event log instead of message boxes, and the Java
  // output is echoed to standard error.
  std::atomic<bool> service_mode{false};

  // Embedded jar files, set by ExtractEmbeddedJars before any thread starts.
  std::vector<std::string> extracted_jar_paths;  // JarDir '\' name, one per file of the resource
  std::string jar_base_dir;                        // the current directory of the extraction
  std::atomic<bool> jar_cleanup_started{false};    // the clean-up copy is started once
};

extern LauncherConfig config;
extern LauncherState state;

// Puts the configuration and the state back to their initial values
// (used by tests that run several start-ups in one process).
void ResetLauncherState();

}  // namespace srvlaunch

#endif
