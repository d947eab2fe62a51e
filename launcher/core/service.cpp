// Installation, removal and running of the Windows service.
#include "service.h"

#include <atomic>

#include "embedded_jars.h"
#include "jvm_start.h"
#include "launcher_config.h"
#include "launcher_state.h"
#include "main_call.h"
#include "messages.h"
#include "platform/platform.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

constexpr unsigned kExitWaitStepMs = 100;
constexpr std::uint32_t kEventTypesSupported = 7;  // error, warning, information

// The status last reported to the manager; guarded by StatusLock(), since
// the control handler and ServiceMain run on different threads.
platform::ServiceStatusRecord service_status;
// Ends the wait of ServiceMain. It lives as long as the process: the
// watchdog, the stop thread and the exit hook may signal it at any time.
std::atomic<platform::SyncEvent*> stop_event{nullptr};
std::atomic<bool> jvm_run_ok{false};          // the worker's start and main call succeeded
std::atomic<bool> service_main_done{false};   // ServiceMain has reported the stopped state
std::atomic<bool> worker_started_jvm{false};  // the exit hook hands over to ServiceMain

platform::Lock* StatusLock() {
  static platform::Lock* lock = platform::CreateLock();
  return lock;
}

void ReportStatusLocked() { platform::ReportServiceStatus(service_status); }

void ReportStatus(unsigned long state, unsigned long win32_exit, unsigned long specific_exit) {
  platform::EnterLock(StatusLock());
  service_status.state = state;
  service_status.win32_exit_code = win32_exit;
  service_status.specific_exit_code = specific_exit;
  service_status.check_point = 0;
  service_status.wait_hint = 0;
  ReportStatusLocked();
  platform::LeaveLock(StatusLock());
}

// The service's arguments after the option word (with
// service_args_on_command_line): the name, and for installing and running
// also the description and the start type (0 on demand, else automatic).
void TakeServiceArguments(const std::vector<std::string>& args, bool name_only) {
  LauncherConfig& c = config;
  if (!c.service_args_on_command_line) return;
  if (args.size() > 2) c.service_name = args[2];
  if (name_only) return;
  if (args.size() > 3) c.service_description = args[3];
  if (args.size() > 4) c.demand_start = ParseDecimal(args[4]) == 0;
}

// Runs the virtual machine and main with the start arguments; when main
// returns, waits for the Java program's other threads and ends the wait of
// ServiceMain. A main call that fails ends the process at once, without a
// stopped report, so that the manager's recovery actions apply.
void ServiceRunThread(void*) {
  jvm_run_ok = true;
  const bool started = StartJvm();
  jvm_run_ok = started;
  if (!started) {
    platform::SignalSyncEvent(stop_event);
    return;
  }
  worker_started_jvm = true;
  const bool ok = RunMainClass(SplitCommandLine(config.service_start_args, false));
  jvm_run_ok = ok;
  if (!ok) {
    StartJarCleanup();
    platform::ExitWithStatus(-1);
  }
  StopJvm();
  platform::SignalSyncEvent(stop_event);
}

// Asks the Java program to stop: System.exit(0), or main called a second
// time with the stop arguments on this thread.
void ServiceStopThread(void*) {
  const bool ok = config.stop_by_system_exit ? CallSystemExit()
                                             : RunMainClass(SplitCommandLine(config.service_stop_args, false), true);
  jvm_run_ok = ok;
}

void ServiceStopWatchdog(void*) {
  platform::SleepMs(svc::kStopWatchdogMs);
  ShowErrorMessage(MessageText(kMsgServiceTimedOut), {config.service_name});
  platform::SignalSyncEvent(stop_event);
}

// STOP and SHUTDOWN start the stop once; while it is pending (or done) a
// repeated request, like any other control, only reports the status again.
void ServiceControlHandler(unsigned long control) {
  platform::EnterLock(StatusLock());
  const bool stopping = service_status.state == svc::kStateStopPending || service_status.state == svc::kStateStopped;
  if ((control != svc::kControlStop && control != svc::kControlShutdown) || stopping) {
    ReportStatusLocked();
    platform::LeaveLock(StatusLock());
    return;
  }
  service_status.state = svc::kStateStopPending;
  service_status.wait_hint = svc::kStopWaitHintMs;
  ReportStatusLocked();
  platform::LeaveLock(StatusLock());

  if (platform::StartThread(ServiceStopThread, nullptr) == nullptr) ShowLastError();
  if (platform::StartThread(ServiceStopWatchdog, nullptr) == nullptr) {
    ShowLastError();
    platform::SignalSyncEvent(stop_event);
  }
}

void ServiceMain() {
  const std::string& name = config.service_name;
  if (!platform::OpenEventSource(name)) return;
  // Made before any control can arrive, so that a stop at once finds the
  // event that it must signal; a failure is reported in its place below.
  stop_event = platform::CreateSyncEvent();
  platform::RegisterServiceHandler(name, ServiceControlHandler);
  ShowInfoMessage(MessageText(kMsgServiceStarted), {name});

  // Running from the start: the virtual machine may take long to come up.
  platform::EnterLock(StatusLock());
  service_status = platform::ServiceStatusRecord{};
  service_status.type = svc::kTypeOwnProcess;
  service_status.controls_accepted = svc::kAcceptStopAndShutdown;
  platform::LeaveLock(StatusLock());
  ReportStatus(svc::kStateRunning, 0, 0);

  if (stop_event == nullptr) {
    ShowErrorWithReason(kRC000004);
  } else if (platform::StartThread(ServiceRunThread, nullptr) == nullptr) {
    ShowErrorWithReason(kRC000005);
  } else {
    platform::WaitSyncEvent(stop_event);
  }

  if (jvm_run_ok) {
    ShowInfoMessage(MessageText(kMsgServiceStopped), {name});
    ReportStatus(svc::kStateStopped, 0, 0);
  } else {
    ShowErrorMessage(MessageText(kMsgServiceFailed), {name});
    ReportStatus(svc::kStateStopped, svc::kExitServiceSpecificError, svc::kExitFailedToStart);
  }
  platform::CloseEventSource();
  service_main_done = true;
}

}  // namespace

std::string ServiceKey(const std::string& name) { return "SYSTEM\\CurrentControlSet\\Services\\" + name; }

std::string EventSourceKey(const std::string& name) {
  return "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + name;
}

bool HandleServiceOptions(const std::vector<std::string>& args) {
  if (args.size() < 2) return false;
  const std::string& word = args[1];
  LauncherConfig& c = config;
  if (word == c.install_option) {
    TakeServiceArguments(args, false);
    switch (QueryServiceInstalled(c.service_name)) {
      case 1:
        ShowErrorMessage(MessageText(kMsgServiceAlreadyInstalled), {c.service_name});
        break;
      case 0:
        if (InstallService(c.service_name, c.service_description) == 0) {
          ShowInfoMessage(MessageText(kMsgServiceInstalled), {c.service_name});
        }
        break;
      default:
        break;
    }
    return true;
  }
  if (word == c.uninstall_option) {
    TakeServiceArguments(args, true);
    if (UninstallService(c.service_name) == 0) ShowInfoMessage(MessageText(kMsgServiceUninstalled), {c.service_name});
    return true;
  }
  if (word == c.service_mode_option) {
    TakeServiceArguments(args, false);
    state.service_mode = true;
    StartServiceDispatcher();
    return true;
  }
  return false;
}

int QueryServiceInstalled(const std::string& name) {
  platform::ServiceHandle* manager = platform::OpenServiceManager(svc::kManagerConnect);
  if (manager == nullptr) {
    ShowLastError();
    return -1;
  }
  int result = 1;
  platform::ServiceHandle* service = platform::OpenServiceEntry(manager, name, svc::kServiceQueryStatus);
  if (service != nullptr) {
    platform::CloseServiceEntry(service);
  } else if (platform::LastErrorIsNoSuchService()) {
    result = 0;
  } else {
    ShowLastError();
    result = -1;
  }
  platform::CloseServiceEntry(manager);
  return result;
}

std::string ServiceCommandLine(const std::string& exe) {
  const LauncherConfig& c = config;
  std::string line = "\"" + exe + "\" " + c.service_mode_option;
  if (c.service_args_on_command_line) {
    line += " \"" + c.service_name + "\" \"" + c.service_description + "\" " + (c.demand_start ? "0" : "1");
  }
  return line;
}

std::string ServiceDependencyList(const std::string& dependencies) {
  if (dependencies.empty()) return std::string();
  std::string list = dependencies;
  for (char& ch : list) {
    if (ch == ';') ch = '\0';
  }
  list.append(2, '\0');
  return list;
}

int InstallService(const std::string& name, const std::string& description) {
  const LauncherConfig& c = config;
  platform::ServiceHandle* manager = platform::OpenServiceManager(svc::kManagerCreateService);
  if (manager == nullptr) {
    ShowLastError();
    return -1;
  }
  std::string exe;
  if (!platform::ExePath(exe)) {
    ShowLastError();
    platform::CloseServiceEntry(manager);
    return -1;
  }
  platform::ServiceDefinition d;
  d.name = name;
  d.display_name = name;
  d.access = svc::kServiceAllAccess;
  d.type = c.interactive_service ? svc::kTypeInteractive : svc::kTypeOwnProcess;
  d.start_type = c.demand_start ? svc::kStartOnDemand : svc::kStartAutomatic;
  d.error_control = svc::kErrorControlNormal;
  d.command_line = ServiceCommandLine(exe);
  d.dependencies = ServiceDependencyList(c.service_dependencies);
  platform::ServiceHandle* service = platform::CreateServiceEntry(manager, d);
  if (service == nullptr) {
    ShowLastError();
    platform::CloseServiceEntry(manager);
    return -1;
  }
  platform::CloseServiceEntry(service);
  platform::CloseServiceEntry(manager);

  const std::string source = EventSourceKey(name);
  if (platform::CreateRegistryKey(source) != 0 ||
      platform::WriteRegistryExpandString(source, "EventMessageFile", exe) != 0 ||
      platform::WriteRegistryDword(source, "TypesSupported", kEventTypesSupported) != 0) {
    ShowLastError();
    return -1;
  }
  if (!description.empty() && platform::WriteRegistryExpandString(ServiceKey(name), "Description", description) != 0) {
    ShowLastError();
    return -1;
  }
  return 0;
}

int UninstallService(const std::string& name) {
  platform::ServiceHandle* manager = platform::OpenServiceManager(svc::kManagerAllAccess);
  if (manager == nullptr) {
    ShowLastError();
    return -1;
  }
  platform::ServiceHandle* service = platform::OpenServiceEntry(manager, name, svc::kServiceDelete);
  if (service == nullptr) {
    ShowLastError();
    platform::CloseServiceEntry(manager);
    return -1;
  }
  const bool deleted = platform::DeleteServiceEntry(service);
  if (!deleted) ShowLastError();
  platform::CloseServiceEntry(service);
  platform::CloseServiceEntry(manager);
  return deleted ? 0 : -1;
}

bool StartServiceDispatcher() {
  if (!platform::RunServiceDispatcher(config.service_name, ServiceMain)) {
    ShowErrorWithReason(kRC000003);
    return false;
  }
  return true;
}

void HandOverExitToService() {
  if (!state.service_mode || !worker_started_jvm) return;
  platform::SignalSyncEvent(stop_event);
  while (!service_main_done) platform::SleepMs(kExitWaitStepMs);
}

}  // namespace srvlaunch
