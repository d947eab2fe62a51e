// The launcher's start-up order.
#include "launcher_main.h"

#include <algorithm>
#include <vector>

#include "command_line.h"
#include "jvm_start.h"
#include "launcher_config.h"
#include "launcher_state.h"
#include "main_call.h"
#include "messages.h"
#include "platform/platform.h"
#include "service_hooks.h"

namespace srvlaunch {

namespace {

// Before the message table is loaded, message 1616 is read straight from
// the resources.
void ReportAccessError(const std::string& what) {
  ShowErrorWithReason(LoadResourceString(kMsgAccessError), {what});
}

}  // namespace

bool RememberStartupDirectory() {
  std::string dir;
  if (!platform::current_directory(dir)) {
    ReportAccessError("CURRENT_DIR");
    return false;
  }
  state.StartupDir = dir;
  return true;
}

bool ChangeToExeDirectory() {
  std::string exe;
  if (!platform::exe_path(exe)) {
    ReportAccessError("CURRENT_EXE");
    return false;
  }
  const std::size_t last = exe.find_last_of("\\/");
  if (last == std::string::npos) return true;  // no directory part: stay
  // A path directly below the root keeps the root as its directory.
  const std::string dir = last == 0 ? exe.substr(0, 1) : exe.substr(0, last);
  if (!platform::change_directory(dir)) {
    ReportAccessError(dir);
    return false;
  }
  return true;
}

int LauncherMain(const std::string& command_line) {
  // 1. Windows that Java opens may come to the front.
  platform::allow_set_foreground();

  // 2. Arguments begin at index 1.
  const std::vector<std::string> args = SplitCommandLine(command_line, true);

  // 3. Clean-up mode.
  if (args.size() == 3 && args[1] == kCleanupOption) {
    RemoveTemporaryJarFiles(static_cast<unsigned long>(std::max(0, ParseDecimal(args[2]))));
    return 0;
  }

  // 4. The first argument.
  if (args.size() >= 2) {
    state.HasFirstArgument = true;
    state.FirstArgument = args[1];
  }

  // 5. and 6. Directories.
  if (!RememberStartupDirectory()) return 0;
  ChangeToExeDirectory();

  // 7. Configuration.
  LoadConfiguration();

  // 8. Service options.
  if (!config.ServiceName.empty()) {
    if (HandleServiceOptions(args)) return 0;
    if (config.ServiceOnly) {
      ShowInfoMessage(MessageText(kMsgServiceOnly));
      return 0;
    }
  }

  // 9. Single instance.
  if (!config.AllowMultipleInstances) {
    switch (platform::instance_lock(config.MainClass)) {
      case platform::InstanceLock::held_elsewhere:
        ShowErrorMessage(MessageText(kMsgAlreadyRunning));
        return 0;
      case platform::InstanceLock::taken:
        state.MutexHeld = true;
        break;
      case platform::InstanceLock::failed:
        break;  // no guard to be had: the launcher runs unguarded
    }
  }

  // 10. Splash window: start-up goes on without one when it cannot be shown.
  if (config.ShowSplash || config.SplashSeconds != 0) StartSplashThread();

  // 11. and 12. The virtual machine and the main class.
  if (!StartJvm()) return -1;
  const std::vector<std::string> main_args(args.begin() + 1, args.end());
  const bool ok = RunMainClass(main_args, false);
  if (ok) StopJvm();

  // 13. The guard is released.
  if (state.MutexHeld) {
    platform::instance_unlock();
    state.MutexHeld = false;
  }
  return ok ? 0 : -1;
}

}  // namespace srvlaunch
