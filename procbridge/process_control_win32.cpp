// spawnlib's process facility on 32-bit Windows. A process is started with
// CreateProcessA: hidden (SW_HIDE) with a console of its own, at idle
// priority, no inherited handles, the given working directory; both of its
// handles are closed at once. Waiting and terminating open the process by
// its id, and act only on a process that this process created.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include <vector>

#include "process_control.h"

namespace spawnlib {

namespace {

constexpr DWORD kCreationFlags = 0x850;  // CREATE_NEW_CONSOLE | IDLE_PRIORITY_CLASS | CREATE_SEPARATE_WOW_VDM
constexpr DWORD kProcessAccess = 0x1F0FFF;
constexpr UINT kTerminatedExitCode = 0xFFFFFFFF;

static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFO must have the Win32 layout");

// False when the process is known not to have been created by this
// process: its parent id must be ours and it must have started after we
// did (an id is reused only after its process has gone). A process list
// or times that cannot be read prove nothing, and the process is then
// taken as ours.
bool created_by_us(HANDLE process, DWORD pid) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return true;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  bool listed = false;
  DWORD parent = 0;
  for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry)) {
    if (entry.th32ProcessID == pid) {
      listed = true;
      parent = entry.th32ParentProcessID;
      break;
    }
  }
  CloseHandle(snap);
  if (!listed) return false;  // it has ended already
  if (parent != GetCurrentProcessId()) return false;

  FILETIME child_created, ours_created, unused1, unused2, unused3;
  if (!GetProcessTimes(process, &child_created, &unused1, &unused2, &unused3) ||
      !GetProcessTimes(GetCurrentProcess(), &ours_created, &unused1, &unused2, &unused3)) {
    return true;
  }
  return CompareFileTime(&child_created, &ours_created) >= 0;
}

}  // namespace

std::int64_t start_hidden_process(const char* command, const char* directory, std::string* error) {
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info;
  memset(&info, 0, sizeof info);
  // CreateProcessA may write into the command line: give it a copy.
  std::vector<char> line(command, command + strlen(command) + 1);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, kCreationFlags, nullptr, directory, &startup,
                      &info)) {
    char text[32];
    snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(GetLastError()));
    *error = text;
    return 0;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

void finish_process(std::int64_t id, bool terminate_first) {
  if (id <= 0 || id > 0xFFFFFFFFLL) return;
  const auto pid = static_cast<DWORD>(id);
  HANDLE process = OpenProcess(kProcessAccess, FALSE, pid);
  if (process == nullptr) return;  // no such process any more
  if (created_by_us(process, pid)) {
    if (terminate_first) TerminateProcess(process, kTerminatedExitCode);
    WaitForSingleObject(process, INFINITE);
  }
  CloseHandle(process);
}

}  // namespace spawnlib
