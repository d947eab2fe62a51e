// The launcher's start-up order.
#include "launcher_main.h"

#include <algorithm>
#include <vector>

#include "embedded_jars.h"
#include "jvm_start.h"
#include "launcher_config.h"
#include "launcher_state.h"
#include "main_call.h"
#include "messages.h"
#include "platform/platform.h"
#include "service.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

constexpr unsigned kSplashPollMs = 100;

// Before the message table is loaded, message 1616 is read straight from
// the resources.
void ReportAccessError(const std::string& what) {
  ShowErrorWithReason(LoadResourceString(kMsgAccessError), {what});
}

bool RememberStartupDirectory() {
  std::string dir;
  if (!platform::CurrentDirectory(dir)) {
    ReportAccessError("CURRENT_DIR");
    return false;
  }
  state.startup_dir = dir;
  return true;
}

// Relative paths of the configuration are taken from the executable's
// directory.
bool ChangeToExeDirectory() {
  std::string exe;
  if (!platform::ExePath(exe)) {
    ReportAccessError("CURRENT_EXE");
    return false;
  }
  const std::size_t last = exe.find_last_of("\\/");
  if (last == std::string::npos) return true;  // no directory part: stay
  // A path directly below the root keeps the root as its directory.
  const std::string dir = last == 0 ? exe.substr(0, 1) : exe.substr(0, last);
  if (!platform::ChangeDirectory(dir)) {
    ReportAccessError(dir);
    return false;
  }
  return true;
}

// True when start-up goes on: no service option word was answered and the
// program may run outside the service.
bool PassServiceOptions(const std::vector<std::string>& args) {
  if (config.service_name.empty()) return true;
  if (HandleServiceOptions(args)) return false;
  if (config.service_only) {
    ShowInfoMessage(MessageText(kMsgServiceOnly));
    return false;
  }
  return true;
}

// True when start-up goes on: no other instance holds the guard. A guard
// that cannot be had at all lets the launcher run unguarded.
bool TakeSingleInstanceGuard() {
  if (config.allow_multiple_instances) return true;
  switch (platform::TakeInstanceLock(config.main_class)) {
    case platform::InstanceLock::kHeldElsewhere:
      ShowErrorMessage(MessageText(kMsgAlreadyRunning));
      return false;
    case platform::InstanceLock::kTaken:
      state.instance_guard_held = true;
      return true;
    case platform::InstanceLock::kFailed:
      return true;
  }
  return true;
}

void ReleaseSingleInstanceGuard() {
  if (state.instance_guard_held.exchange(false)) platform::ReleaseInstanceLock();
}

// Shows the splash window while the virtual machine starts; a window that
// cannot be made is done without.
void ShowSplashWindow() {
  if (!config.show_splash && config.splash_seconds == 0) return;
  platform::SplashSettings settings;
  settings.text = config.splash_text;
  settings.until_app_window = config.show_splash;
  settings.seconds = config.splash_seconds;
  if (!platform::StartSplashThread(settings)) return;
  while (platform::SplashWindowState() == 0) platform::SleepMs(kSplashPollMs);
}

// Everything after the configuration: the service options, the guard, the
// splash, the virtual machine and the main class call.
int RunConfiguredLauncher(const std::vector<std::string>& args) {
  if (!PassServiceOptions(args)) return 0;
  if (!TakeSingleInstanceGuard()) return 0;
  ShowSplashWindow();

  if (!StartJvm()) return -1;
  const std::vector<std::string> main_args(args.begin() + 1, args.end());
  const bool ok = RunMainClass(main_args);
  if (ok) StopJvm();

  ReleaseSingleInstanceGuard();
  return ok ? 0 : -1;
}

}  // namespace

int LauncherMain(const std::string& command_line) {
  // Windows that Java opens may come to the front.
  platform::AllowForegroundWindows();

  // Slot 0 stands for the program name: the arguments begin at index 1.
  const std::vector<std::string> args = SplitCommandLine(command_line, true);

  // The clean-up copy removes the jar files that a launcher extracted.
  if (args.size() == 3 && args[1] == kCleanupOption) {
    RemoveTemporaryJarFiles(static_cast<unsigned long>(std::max(ParseDecimal(args[2]), 0)));
    return 0;
  }
  if (args.size() > 1) state.first_argument = args[1];

  if (!RememberStartupDirectory()) return 0;
  ChangeToExeDirectory();
  LoadConfiguration();
  const int status = RunConfiguredLauncher(args);
  // The extracted jar files go however the launcher ends; the exit hooks
  // of the virtual machine do the same when Java ends the process.
  StartJarCleanup();
  return status;
}

}  // namespace srvlaunch
