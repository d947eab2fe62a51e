// The service control manager on POSIX, kept in files below
// $SRVLAUNCH_SIM_ROOT as Windows keeps it:
//   - an installed service is its key in the registry file,
//     SYSTEM\CurrentControlSet\Services\<name>, with Type, Start,
//     ErrorControl, ImagePath, DisplayName, ObjectName and DependOnService;
//     the command in ImagePath is what starts the service;
//   - the running service reads controls from the FIFO
//     services/<name>.control (a decimal control number a line: 1 stop,
//     5 shutdown, 4 interrogate) and appends each status it reports to
//     services/<name>.status as state<TAB>controls accepted<TAB>Win32 exit
//     code<TAB>service-specific exit code<TAB>check point<TAB>wait hint.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/posix_registry_file.h"
#include "platform/posix/posix_text_file.h"

namespace platform {

struct ServiceHandle {
  std::string name;  // empty for the manager
};

namespace {

constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";
constexpr int kControlPollMs = 100;

std::string ServiceKeyOf(const std::string& name) { return kServicesKey + name; }

bool Installed(const std::string& name) {
  std::string image;
  return !name.empty() && ReadRegistryString(ServiceKeyOf(name), "ImagePath", image, 32767) == 0;
}

std::string ServicesDir() { return FacilityFilesRoot() + "/services"; }

// The running service of this process.
std::mutex status_mutex;
std::string running_name;
std::atomic<void (*)(unsigned long)> control_handler{nullptr};

}  // namespace

ServiceHandle* OpenServiceManager(unsigned long) {
  if (FacilityFilesRoot().empty()) {
    errno = kErrorNoFacilityRoot;
    return nullptr;
  }
  return new ServiceHandle{};
}

ServiceHandle* OpenServiceEntry(ServiceHandle*, const std::string& name, unsigned long) {
  if (!Installed(name)) {
    errno = kErrorServiceDoesNotExist;
    return nullptr;
  }
  return new ServiceHandle{name};
}

bool LastErrorIsNoSuchService() { return errno == kErrorServiceDoesNotExist; }

ServiceHandle* CreateServiceEntry(ServiceHandle*, const ServiceDefinition& s) {
  if (Installed(s.name)) {
    errno = kErrorServiceExists;
    return nullptr;
  }
  const std::string key = ServiceKeyOf(s.name);
  // The dependencies end at their first empty name, as the manager reads them.
  std::string depends = s.dependencies.substr(0, s.dependencies.find(std::string(2, '\0')));
  if (CreateRegistryKey(key) != 0 || WriteRegistryDword(key, "Type", static_cast<std::uint32_t>(s.type)) != 0 ||
      WriteRegistryDword(key, "Start", static_cast<std::uint32_t>(s.start_type)) != 0 ||
      WriteRegistryDword(key, "ErrorControl", static_cast<std::uint32_t>(s.error_control)) != 0 ||
      WriteRegistryValue(key, "DisplayName", "REG_SZ", s.display_name) != 0 ||
      WriteRegistryValue(key, "ObjectName", "REG_SZ", "LocalSystem") != 0 ||
      (!depends.empty() && WriteRegistryValue(key, "DependOnService", "REG_MULTI_SZ", depends) != 0) ||
      WriteRegistryExpandString(key, "ImagePath", s.command_line) != 0) {
    return nullptr;
  }
  return new ServiceHandle{s.name};
}

bool DeleteServiceEntry(ServiceHandle* service) {
  return service != nullptr && DeleteRegistryTree(ServiceKeyOf(service->name));
}

void CloseServiceEntry(ServiceHandle* handle) { delete handle; }

bool RunServiceDispatcher(const std::string& name, void (*service_main)()) {
  if (FacilityFilesRoot().empty() || !Installed(name)) {
    errno = kErrorServiceControllerConnect;
    return false;
  }
  ::mkdir(ServicesDir().c_str(), 0755);
  const std::string control = ServicesDir() + "/" + name + ".control";
  {
    std::lock_guard<std::mutex> guard(status_mutex);
    running_name = name;
  }
  ::unlink((ServicesDir() + "/" + name + ".status").c_str());
  // Opened for reading and writing, the FIFO never reports an end while
  // writers come and go.
  const int fd = OpenNewFifo(control, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;

  std::atomic<bool> main_ended{false};
  std::thread main_thread([&main_ended, service_main] {
    service_main();
    main_ended = true;
  });
  std::string pending;
  while (!main_ended) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kControlPollMs) <= 0) continue;
    char buf[256];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) continue;
    pending.append(buf, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      char* stop = nullptr;
      const unsigned long code = std::strtoul(line.c_str(), &stop, 10);
      void (*handler)(unsigned long) = control_handler;
      if (stop != line.c_str() && handler != nullptr) handler(code);
    }
  }
  main_thread.join();
  ::close(fd);
  ::unlink(control.c_str());
  return true;
}

bool RegisterServiceHandler(const std::string& name, void (*handler)(unsigned long)) {
  std::lock_guard<std::mutex> guard(status_mutex);
  if (name != running_name) return false;
  control_handler = handler;
  return true;
}

bool ReportServiceStatus(const ServiceStatusRecord& s) {
  std::lock_guard<std::mutex> guard(status_mutex);
  if (running_name.empty()) return false;
  char line[160];
  std::snprintf(line, sizeof line, "%lu\t%lu\t%lu\t%lu\t%lu\t%lu\n", s.state, s.controls_accepted, s.win32_exit_code,
                s.specific_exit_code, s.check_point, s.wait_hint);
  AppendToFile(ServicesDir() + "/" + running_name + ".status", line);
  return true;
}

}  // namespace platform
