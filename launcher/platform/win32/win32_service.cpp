// The service control manager through the Windows API: installation and
// removal of a service, and the dispatcher, control handler and status
// reports of the running service.
#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace platform {

struct ServiceHandle {
  SC_HANDLE handle;
};

namespace {

void (*service_main_function)() = nullptr;
void (*control_handler_function)(unsigned long) = nullptr;
SERVICE_STATUS_HANDLE status_handle = nullptr;

VOID WINAPI ServiceMainEntry(DWORD, LPSTR*) { service_main_function(); }

VOID WINAPI ControlHandlerEntry(DWORD control) { control_handler_function(control); }

ServiceHandle* Wrap(SC_HANDLE h) { return h == nullptr ? nullptr : new ServiceHandle{h}; }

}  // namespace

ServiceHandle* OpenServiceManager(unsigned long access) {
  return Wrap(OpenSCManagerA(nullptr, nullptr, static_cast<DWORD>(access)));
}

ServiceHandle* OpenServiceEntry(ServiceHandle* manager, const std::string& name, unsigned long access) {
  return Wrap(OpenServiceA(manager->handle, name.c_str(), static_cast<DWORD>(access)));
}

bool LastErrorIsNoSuchService() { return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST; }

ServiceHandle* CreateServiceEntry(ServiceHandle* manager, const ServiceDefinition& s) {
  // The local system account: no account name and no password.
  return Wrap(CreateServiceA(manager->handle, s.name.c_str(), s.display_name.c_str(), static_cast<DWORD>(s.access),
                             static_cast<DWORD>(s.type), static_cast<DWORD>(s.start_type),
                             static_cast<DWORD>(s.error_control), s.command_line.c_str(), nullptr, nullptr,
                             s.dependencies.empty() ? nullptr : s.dependencies.c_str(), nullptr, nullptr));
}

bool DeleteServiceEntry(ServiceHandle* service) { return DeleteService(service->handle) != FALSE; }

void CloseServiceEntry(ServiceHandle* handle) {
  if (handle == nullptr) return;
  const DWORD err = GetLastError();
  CloseServiceHandle(handle->handle);
  delete handle;
  SetLastError(err);
}

bool RunServiceDispatcher(const std::string& name, void (*service_main)()) {
  service_main_function = service_main;
  std::string service_name = name;
  SERVICE_TABLE_ENTRYA table[2] = {{service_name.data(), ServiceMainEntry}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) != FALSE;
}

bool RegisterServiceHandler(const std::string& name, void (*handler)(unsigned long)) {
  control_handler_function = handler;
  status_handle = RegisterServiceCtrlHandlerA(name.c_str(), ControlHandlerEntry);
  return status_handle != nullptr;
}

bool ReportServiceStatus(const ServiceStatusRecord& s) {
  if (status_handle == nullptr) return false;
  SERVICE_STATUS status{};
  status.dwServiceType = static_cast<DWORD>(s.type);
  status.dwCurrentState = static_cast<DWORD>(s.state);
  status.dwControlsAccepted = static_cast<DWORD>(s.controls_accepted);
  status.dwWin32ExitCode = static_cast<DWORD>(s.win32_exit_code);
  status.dwServiceSpecificExitCode = static_cast<DWORD>(s.specific_exit_code);
  status.dwCheckPoint = static_cast<DWORD>(s.check_point);
  status.dwWaitHint = static_cast<DWORD>(s.wait_hint);
  return SetServiceStatus(status_handle, &status) != FALSE;
}

}  // namespace platform
