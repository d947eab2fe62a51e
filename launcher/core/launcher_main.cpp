// The launcher's start-up order.
#include "launcher_main.h"

#include <vector>

#include "command_line.h"
#include "jvm_start.h"
#include "launcher_config.h"
#include "launcher_state.h"
#include "main_call.h"
#include "messages.h"
#include "platform/platform.h"
#include "service_options.h"

namespace srvlaunch {

namespace {

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

}  // namespace

int LauncherMain(const std::string& command_line) {
  // Windows that Java opens may come to the front.
  platform::AllowForegroundWindows();

  // Slot 0 stands for the program name: the arguments begin at index 1.
  const std::vector<std::string> args = SplitCommandLine(command_line, true);

  // The clean-up copy removes the jar files that a launcher extracted; this
  // build extracts none, so there is nothing to remove.
  if (args.size() == 3 && args[1] == kCleanupOption) return 0;

  if (!RememberStartupDirectory()) return 0;
  ChangeToExeDirectory();
  LoadConfiguration();
  if (!PassServiceOptions(args)) return 0;
  if (!TakeSingleInstanceGuard()) return 0;

  if (!StartJvm()) return -1;
  const std::vector<std::string> main_args(args.begin() + 1, args.end());
  const bool ok = RunMainClass(main_args);
  if (ok) StopJvm();

  ReleaseSingleInstanceGuard();
  return ok ? 0 : -1;
}

}  // namespace srvlaunch
