// The event log on POSIX: one line per event appended to
// $SRVLAUNCH_SIM_ROOT/eventlog/Application.log as
// source|ERROR or INFORMATION|event id|text (text with the escapes of
// posix_text_file.h); standard error when the variable is unset.
#include <sys/stat.h>

#include <cstdio>
#include <mutex>

#include "platform/platform.h"
#include "platform/posix/posix_text_file.h"

namespace platform {

namespace {

std::mutex event_mutex;
std::string event_source;
bool event_open = false;

}  // namespace

bool OpenEventSource(const std::string& source) {
  std::lock_guard<std::mutex> guard(event_mutex);
  if (source.empty()) return false;
  event_source = source;
  event_open = true;
  return true;
}

bool EventSourceIsOpen() {
  std::lock_guard<std::mutex> guard(event_mutex);
  return event_open;
}

void CloseEventSource() {
  std::lock_guard<std::mutex> guard(event_mutex);
  event_open = false;
}

bool ReportToEventLog(bool error, unsigned long event_id, const std::string& text) {
  std::lock_guard<std::mutex> guard(event_mutex);
  if (!event_open) return false;
  char id[16];
  std::snprintf(id, sizeof id, "0x%08lX", event_id);
  const std::string line =
      event_source + "|" + (error ? "ERROR" : "INFORMATION") + "|" + id + "|" + Escape(text) + "\n";
  const std::string root = FacilityFilesRoot();
  if (root.empty()) {
    std::fputs(line.c_str(), stderr);
    return true;
  }
  ::mkdir((root + "/eventlog").c_str(), 0755);
  AppendToFile(root + "/eventlog/Application.log", line);
  return true;
}

}  // namespace platform
