// The Windows service: the option words that install and remove it, and
// service mode, in which the service control manager starts the launcher,
// the virtual machine runs on a worker thread, and a stop request is
// answered by a stop thread and a 30-second watchdog.
#ifndef SRVLAUNCH_SERVICE_H
#define SRVLAUNCH_SERVICE_H

#include <string>
#include <vector>

namespace srvlaunch {

// The numbers of the service control manager that the launcher uses.
namespace svc {
constexpr unsigned long kTypeOwnProcess = 0x10;
constexpr unsigned long kTypeInteractive = 0x110;  // own process, interacting with the desktop
constexpr unsigned long kStartAutomatic = 2;
constexpr unsigned long kStartOnDemand = 3;
constexpr unsigned long kErrorControlNormal = 1;
constexpr unsigned long kManagerConnect = 0x1;
constexpr unsigned long kManagerCreateService = 0x2;
constexpr unsigned long kManagerAllAccess = 0xF003F;
constexpr unsigned long kServiceQueryStatus = 0x4;
constexpr unsigned long kServiceAllAccess = 0xF01FF;
constexpr unsigned long kServiceDelete = 0x10000;
constexpr unsigned long kStateStopped = 1;
constexpr unsigned long kStateStopPending = 3;
constexpr unsigned long kStateRunning = 4;
constexpr unsigned long kControlStop = 1;
constexpr unsigned long kControlShutdown = 5;
constexpr unsigned long kAcceptStopAndShutdown = 5;
constexpr unsigned long kStopWaitHintMs = 40000;
constexpr unsigned kStopWatchdogMs = 30000;
constexpr unsigned long kExitServiceSpecificError = 1066;
constexpr unsigned long kExitFailedToStart = 1013;  // the service-specific code of a failed start
}  // namespace svc

// The registry keys below HKEY_LOCAL_MACHINE of a service and of its event source.
std::string ServiceKey(const std::string& name);
std::string EventSourceKey(const std::string& name);

// Looks at argument 1 (slot 0 reserved): installs or removes the service,
// or runs as the service until it has stopped. True when argument 1 was one
// of the three option words and has been handled.
bool HandleServiceOptions(const std::vector<std::string>& args);

// 1 when the service is installed, 0 when the manager says it does not
// exist, -1 after the report of any other failure.
int QueryServiceInstalled(const std::string& name);
// 0 on success, -1 after the report of the system's reason.
int InstallService(const std::string& name, const std::string& description);
int UninstallService(const std::string& name);
// The command line with which the manager starts the service.
std::string ServiceCommandLine(const std::string& exe);
// service_dependencies as the manager's list: each name ended by a NUL,
// a second NUL at the end; empty when there are none.
std::string ServiceDependencyList(const std::string& dependencies);

// Connects the main thread to the service control manager; returns when
// the service has stopped. False after "Internal error RC000003".
bool StartServiceDispatcher();

// For the virtual machine's exit hook: in service mode, once the worker has
// started the machine, lets the service report that it has stopped and
// waits until it has.
void HandOverExitToService();

}  // namespace srvlaunch

#endif
