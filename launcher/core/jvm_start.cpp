// Start of the Java virtual machine and its hooks.
#include "jvm_start.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "class_path.h"
#include "embedded_jars.h"
#include "jvm_discovery.h"
#include "launcher_state.h"
#include "messages.h"
#include "output_tail.h"
#include "platform/platform.h"
#include "service.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

using CreateJavaVmFn = jint(JNICALL*)(JavaVM**, void**, void*);

constexpr std::size_t kHookBuffer = 4096;
constexpr unsigned kHookPauseMs = 100;
constexpr std::size_t kMaxPathValue = 32767;

// The option texts must outlive the creation call.
std::vector<std::string> option_texts;
std::vector<JavaVMOption> option_array;

// The virtual machine's output: into the tail, or onto the hidden console
// of Windows 9x.
jint JNICALL JvmVfprintfHook(FILE*, const char* format, va_list args) {
  char buffer[kHookBuffer];
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  // A failed or cut formatting still gives a terminated text of what fits.
  buffer[sizeof buffer - 1] = '\0';
  if (n < 0) n = 0;
  const std::size_t length = std::min(static_cast<std::size_t>(n), sizeof buffer - 1);
  platform::SleepMs(kHookPauseMs);
  if (state.windows_9x) {
    std::fwrite(buffer, 1, length, stderr);
  } else {
    const std::string text = HookOutputText(buffer, length);
    WriteLogOutput(text.data(), text.size());
  }
  return static_cast<jint>(length);
}

// The clean-up common to the exit and abort hooks: the clean-up copy of
// the extracted jar files is started, the single-instance guard released
// and, in service mode, the service reports its stop before the process ends.
void ExitCleanup() {
  StartJarCleanup();
  if (state.instance_guard_held.exchange(false)) platform::ReleaseInstanceLock();
  HandOverExitToService();
}

void JNICALL JvmExitHook(jint code) {
  if (state.quit_hook_installed.exchange(false)) platform::RemoveQuitHook9x();
  ExitCleanup();
  platform::ExitWithStatus(code);
}

void JNICALL JvmAbortHook() {
  ReportFatalError("JVM has aborted due to an internal error.");
  ExitCleanup();
  platform::AbortProcess();
}

// Opens the console the configuration asks for; on Windows 9x hides the
// console that takes the Java output and installs the quit hook.
bool PrepareConsole() {
  const LauncherConfig& c = config;
  if (c.stdout_mode == kOutputUnchanged && c.stderr_mode == kOutputUnchanged && c.show_console) platform::OpenConsole();
  if (!state.windows_9x) return true;
  if (c.stdout_mode != kOutputUnchanged || c.stderr_mode != kOutputUnchanged) {
    const int code = platform::HideConsole9x();
    if (code != 0) {
      ShowErrorWithReason(InternalErrorText(code));
      return false;
    }
  }
  platform::InstallQuitHook9x();
  state.quit_hook_installed = true;
  return true;
}

// Finds the runtime library, records it as the one path of jvm_path_list and
// puts its directory on PATH, where the library finds its companions.
bool LocateJvmLibrary(std::string& library) {
  if (!FindJvmLibrary(library)) {
    ShowErrorMessage(MessageText(kMsgNoJre));
    return false;
  }
  config.jvm_path_list = library;
  std::string path_value;
  if (!platform::GetEnv("PATH", path_value)) path_value.clear();
  if (path_value.size() > kMaxPathValue) path_value.resize(kMaxPathValue);
  platform::SetEnv("PATH", ExtendedPathValue(path_value, library));
  return true;
}

// Loads the library and finds its invocation interface; the creation
// function, or null after the report.
CreateJavaVmFn LoadJvmLibrary(const std::string& library) {
  state.jvm_library = platform::OpenLibrary(library);
  if (state.jvm_library == nullptr) {
    ShowErrorMessage(MessageText(kMsgLoadJvm), {library});
    return nullptr;
  }
  void* create = platform::LibrarySymbol(state.jvm_library, "JNI_CreateJavaVM");
  void* defaults = platform::LibrarySymbol(state.jvm_library, "JNI_GetDefaultJavaVMInitArgs");
  if (create == nullptr || defaults == nullptr) {
    ShowErrorMessage(MessageText(kMsgJniInterfaces), {library});
    return nullptr;
  }
  return reinterpret_cast<CreateJavaVmFn>(create);
}

// Creates the machine with the hooks and the configured options.
bool CreateJvm(CreateJavaVmFn create_vm, const std::string& library) {
  option_texts = JvmOptionStrings();
  option_array.assign(option_texts.size(), JavaVMOption{});
  for (std::size_t i = 0; i < option_texts.size(); ++i) {
    option_array[i].optionString = option_texts[i].data();
    option_array[i].extraInfo = nullptr;
  }
  option_array[0].extraInfo = reinterpret_cast<void*>(&JvmVfprintfHook);
  option_array[1].extraInfo = reinterpret_cast<void*>(&JvmAbortHook);
  option_array[2].extraInfo = reinterpret_cast<void*>(&JvmExitHook);

  JavaVMInitArgs args{};
  args.version = kJvmInitVersion;
  args.nOptions = static_cast<jint>(option_array.size());
  args.options = option_array.data();
  args.ignoreUnrecognized = JNI_FALSE;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (create_vm(&vm, reinterpret_cast<void**>(&env), &args) != 0) {
    ReportFatalError(MessageText(kMsgCreateJvm), {library});
    return false;
  }
  state.jvm = vm;
  state.main_env = env;
  return true;
}

}  // namespace

bool ChangeToWorkingDirectory(bool force) {
  std::string dir;
  if (!force && config.use_startup_dir) {
    dir = state.startup_dir;
  } else if (!config.working_dir.empty()) {
    dir = config.working_dir;
  } else {
    return true;
  }
  if (!platform::ChangeDirectory(dir)) {
    ShowErrorWithReason(MessageText(kMsgAccessError), {dir});
    return false;
  }
  return true;
}

std::vector<std::string> JvmOptionStrings() {
  std::vector<std::string> options = {"vfprintf", "abort", "exit"};
  for (std::string& o : SplitCommandLine(config.jvm_options, false)) options.push_back(std::move(o));
  return options;
}

std::string HookOutputText(const char* text, std::size_t length) {
  std::string out;
  out.reserve(length * 2);
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] == '\n' && platform::kCrLfLineEnds) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

bool StartJvm() {
  if (!platform::OsVersionKnown()) {
    ShowErrorWithReason(kRC0000040);
    return false;
  }
  state.windows_9x = platform::IsWin9x();
  OutputTailText();  // creates the lock of the tail before any thread writes

  if (!PrepareConsole()) return false;
  // The working directory may be needed before the search: the configured
  // library paths may be relative to it.
  if (config.working_dir_first && !ChangeToWorkingDirectory(true)) return false;

  std::string library;
  if (!LocateJvmLibrary(library)) return false;
  const CreateJavaVmFn create_vm = LoadJvmLibrary(library);
  if (create_vm == nullptr) return false;
  if (!BuildClassPathOption()) return false;
  return CreateJvm(create_vm, library);
}

}  // namespace srvlaunch
