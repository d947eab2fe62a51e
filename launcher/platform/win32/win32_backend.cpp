// The Windows backend of the launcher: every facility through the real
// Windows API. Messages may be diverted to a file named by the environment
// variable SRVLAUNCH_MESSAGE_LOG (unset by default) for runs without a
// desktop.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/resource_ids.h"

namespace platform {

const char kClassPathSeparator = ';';
const char* const kConsoleOutName = "CONOUT$";
const char* const kJavaHomeJvmSubPath = "\\jre\\bin\\client\\jvm.dll";
const char* const kJdkClientSubPath = "jre\\bin\\client\\jvm.dll";
const char* const kJdkJrockitSubPath = "jre\\bin\\jrockit\\jvm.dll";
const char* const kJdkServerSubPath = "jre\\bin\\server\\jvm.dll";
const char* const kJdkClassicSubPath = "jre\\bin\\classic\\jvm.dll";
const bool kCrLfLineEnds = true;

namespace {

HINSTANCE instance = nullptr;

// The extra data of the details dialog.
struct DetailsData {
  const std::string* message;
  const std::string* details;
};

bool MessageLog(std::string& path) {
  char buf[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("SRVLAUNCH_MESSAGE_LOG", buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return false;
  path.assign(buf, n);
  return true;
}

void AppendToLog(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

void SetResourceModule(HINSTANCE h) { instance = h; }

HINSTANCE ResourceModule() { return instance; }

std::string NativePath(const std::string& path) { return path; }

// ---- resources ----

std::string ResourceString(unsigned id) {
  // Messages read while a failure is being reported must not change the
  // error that the report is about.
  const DWORD saved_error = GetLastError();
  // A text that fills the buffer may have been cut: read again with more room.
  std::vector<char> buf(1024);
  std::string text;
  for (;;) {
    const int n = LoadStringA(instance, id, buf.data(), static_cast<int>(buf.size()));
    if (n <= 0) break;
    if (static_cast<std::size_t>(n) < buf.size() - 1) {
      text.assign(buf.data(), static_cast<std::size_t>(n));
      break;
    }
    buf.resize(buf.size() + 1024);
  }
  SetLastError(saved_error);
  return text;
}

bool ResourceData(unsigned id, std::string& out) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) return false;
  const DWORD size = SizeofResource(instance, found);
  HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return false;
  out.assign(static_cast<const char*>(data), size);
  return true;
}

std::string IniValue(const std::string& path, const std::string& section, const std::string& key) {
  char buf[1024];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, path.c_str());
  return std::string(buf, n);
}

// ---- registry ----

int ReadRegistryString(const std::string& key, const std::string& name, std::string& out,
                       std::size_t max_chars) {
  HKEY hk = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) return -1;
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(hk, name.c_str(), nullptr, &type, nullptr, &size);
  int result = 1;
  if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    // The stored text need not end with a NUL: one is always added here.
    std::vector<char> buf(size + 1, '\0');
    DWORD got = size;
    rc = RegQueryValueExA(hk, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      buf[std::min<std::size_t>(got, size)] = '\0';
      std::string text(buf.data());
      if (text.size() > max_chars) text.resize(max_chars);
      out = text;
      result = 0;
    }
  }
  RegCloseKey(hk);
  return result;
}

bool RegistrySubKeys(const std::string& key, std::vector<std::string>& names) {
  HKEY hk = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) return false;
  names.clear();
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(hk, index, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  RegCloseKey(hk);
  return true;
}

// The registry routines report their failure through the last error, as
// the other calls do.
int CreateRegistryKey(const std::string& key) {
  HKEY hk = nullptr;
  const LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hk,
                                  nullptr);
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return -1;
  }
  RegCloseKey(hk);
  return 0;
}

namespace {

int WriteRegistryValue(const std::string& key, const std::string& name, DWORD type, const BYTE* data,
                       DWORD size) {
  HKEY hk = nullptr;
  LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &hk);
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return -1;
  }
  rc = RegSetValueExA(hk, name.c_str(), 0, type, data, size);
  RegCloseKey(hk);
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return 1;
  }
  return 0;
}

}  // namespace

int WriteRegistryExpandString(const std::string& key, const std::string& name, const std::string& text) {
  return WriteRegistryValue(key, name, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
}

int WriteRegistryDword(const std::string& key, const std::string& name, std::uint32_t value) {
  const DWORD v = value;
  return WriteRegistryValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

// ---- event log ----

namespace {
HANDLE event_source = nullptr;
}

bool OpenEventSource(const std::string& source) {
  if (source.empty()) return false;
  HANDLE h = RegisterEventSourceA(nullptr, source.c_str());
  if (h == nullptr) return false;
  if (event_source != nullptr) DeregisterEventSource(event_source);
  event_source = h;
  return true;
}

bool EventSourceIsOpen() { return event_source != nullptr; }

void CloseEventSource() {
  if (event_source != nullptr) DeregisterEventSource(event_source);
  event_source = nullptr;
}

bool ReportToEventLog(bool error, unsigned long event_id, const std::string& text) {
  if (event_source == nullptr) return false;
  const char* strings[1] = {text.c_str()};
  return ReportEventA(event_source, error ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE, 0, event_id,
                      nullptr, 1, 0, strings, nullptr) != FALSE;
}

// ---- user interface ----

void AllowForegroundWindows() {
  HMODULE user32 = LoadLibraryA("USER32.DLL");
  if (user32 == nullptr) return;
  using AllowFn = BOOL(WINAPI*)(DWORD);
  auto allow = reinterpret_cast<AllowFn>(reinterpret_cast<void*>(GetProcAddress(user32, "AllowSetForegroundWindow")));
  if (allow != nullptr) allow(GetCurrentProcessId());
}

void ShowMessageBox(bool error, const std::string& text) {
  std::string log;
  if (MessageLog(log)) {
    AppendToLog(log, std::string(error ? "Error: " : "Information: ") + text + "\n");
    return;
  }
  MessageBoxA(nullptr, text.c_str(), error ? "Error" : "Information",
              (error ? MB_ICONERROR : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}

void CentreWindow(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - w - 1) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - h - 1) / 2;
  MoveWindow(hwnd, left, top, w + 1, h + 1, TRUE);
}

namespace {

// The open details dialog, which the splash brings to the front as it closes.
std::atomic<HWND> details_dialog{nullptr};

// The dialog procedure of the details dialog (resource 101).
INT_PTR CALLBACK DetailsDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* data = reinterpret_cast<DetailsData*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      SendDlgItemMessageA(dlg, SRVLAUNCH_ERROR_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_ERROR))), 0);
      ShowWindow(GetDlgItem(dlg, SRVLAUNCH_MESSAGE_PLACE), SW_HIDE);
      SetDlgItemTextA(dlg, SRVLAUNCH_DETAILS_TEXT, data->details->c_str());
      CentreWindow(dlg);
      SetForegroundWindow(dlg);
      details_dialog = dlg;
      return TRUE;
    }
    case WM_PAINT: {
      auto* data = reinterpret_cast<DetailsData*>(GetWindowLongPtrA(dlg, DWLP_USER));
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dlg, &ps);
      if (data != nullptr) {
        RECT r;
        GetWindowRect(GetDlgItem(dlg, SRVLAUNCH_MESSAGE_PLACE), &r);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
        HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        std::string text = *data->message;  // DT_PATH_ELLIPSIS may write into its text
        text.resize(text.size() + 4, '\0');
        DrawTextA(dc, text.data(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS);
        SelectObject(dc, old_font);
      }
      EndPaint(dlg, &ps);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        details_dialog = nullptr;
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_CLOSE) {
        details_dialog = nullptr;
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

HWND OpenDetailsDialog() { return details_dialog; }

void ShowDetailsDialog(const std::string& message, const std::string& details) {
  std::string log;
  if (MessageLog(log)) {
    AppendToLog(log, "Error: " + message + "\n\nDetails:\n" + details + "\n");
    return;
  }
  DetailsData data{&message, &details};
  DialogBoxParamA(instance, MAKEINTRESOURCEA(SRVLAUNCH_DETAILS_DIALOG), nullptr, DetailsDialogProc,
                  reinterpret_cast<LPARAM>(&data));
}

// ---- single-instance guard ----

namespace {
HANDLE instance_mutex = nullptr;
}

InstanceLock TakeInstanceLock(const std::string& name) {
  HANDLE existing = OpenMutexA(0x1F0001, FALSE, name.c_str());
  if (existing != nullptr) {
    CloseHandle(existing);
    return InstanceLock::kHeldElsewhere;
  }
  instance_mutex = CreateMutexA(nullptr, TRUE, name.c_str());
  return instance_mutex != nullptr ? InstanceLock::kTaken : InstanceLock::kFailed;
}

void ReleaseInstanceLock() {
  if (instance_mutex != nullptr) CloseHandle(instance_mutex);
  instance_mutex = nullptr;
}

// ---- files and directories ----

bool FilePresent(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

int PathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return -1;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
}

ListResult ListDirectory(const std::string& dir, std::vector<DirEntry>& entries) {
  entries.clear();
  const std::string pattern = dir == "." ? std::string("*.*") : dir + "\\*.*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return (err == ERROR_NO_MORE_FILES || err == ERROR_FILE_NOT_FOUND) ? ListResult::kOk
                                                                        : ListResult::kStartFailed;
  }
  for (;;) {
    const std::string name = fd.cFileName;
    if (name != "." && name != "..") {
      DirEntry e;
      e.name = name;
      e.directory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      e.link = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      entries.push_back(std::move(e));
    }
    if (!FindNextFileA(h, &fd)) {
      const DWORD err = GetLastError();
      FindClose(h);
      if (err != ERROR_NO_MORE_FILES) {
        SetLastError(err);
        return ListResult::kNextFailed;
      }
      return ListResult::kOk;
    }
  }
}

bool TempPath(std::string& out) {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return false;
  out.assign(buf, n);
  return true;
}

bool MakeDirectory(const std::string& dir) {
  if (CreateDirectoryA(dir.c_str(), nullptr)) return true;
  const DWORD err = GetLastError();
  const DWORD attributes = GetFileAttributesA(dir.c_str());
  SetLastError(err);
  return err == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool OwnDirectory(const std::string& dir) {
  const DWORD attributes = GetFileAttributesA(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    SetLastError(ERROR_DIRECTORY);
    return false;
  }
  return true;
}

int ReadFileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& file_time) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  DWORD high = 0;
  const DWORD low = GetFileSize(h, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    const DWORD err = GetLastError();
    CloseHandle(h);
    SetLastError(err);
    return -1;
  }
  size = (static_cast<std::uint64_t>(high) << 32) | low;
  FILETIME ft{};
  // A time that cannot be read never equals a stored one: the file is written again.
  file_time = GetFileTime(h, nullptr, nullptr, &ft)
                  ? (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime
                  : ~static_cast<std::uint64_t>(0);
  CloseHandle(h);
  return 1;
}

WriteResult WriteNewFile(const std::string& path, const std::string& data, std::uint64_t file_time) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    SetLastError(err);
    return exists ? WriteResult::kInUse : WriteResult::kCreateFailed;
  }
  auto fail = [h](WriteResult result) {
    const DWORD err = GetLastError();
    CloseHandle(h);
    SetLastError(err);
    return result;
  };
  std::size_t done = 0;
  while (done < data.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(h, data.data() + done, chunk, &written, nullptr)) return fail(WriteResult::kWriteFailed);
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return fail(WriteResult::kWriteFailed);
    }
    done += written;
  }
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(file_time & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(file_time >> 32);
  if (!SetFileTime(h, nullptr, nullptr, &ft)) return fail(WriteResult::kTimeFailed);
  CloseHandle(h);
  return WriteResult::kOk;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool RemoveEmptyDirectory(const std::string& dir) { return RemoveDirectoryA(dir.c_str()) != FALSE; }

// ---- process and environment ----

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

bool StartDetachedProcess(const std::string& exe, const std::string& command_line, const std::string& dir) {
  // Detached, the default error mode, no window.
  constexpr DWORD kDetachedFlags = 0x0C000008;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, kDetachedFlags, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void WaitForProcessEnd(unsigned long pid, unsigned timeout_ms) {
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (h == nullptr) return;  // it has ended already
  WaitForSingleObject(h, timeout_ms);
  CloseHandle(h);
}

bool CurrentDirectory(std::string& out) {
  char buf[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return false;
  out.assign(buf, n);
  return true;
}

bool ChangeDirectory(const std::string& dir) { return SetCurrentDirectoryA(dir.c_str()) != FALSE; }

bool ExePath(std::string& out) {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return false;
  out.assign(buf, n);
  return true;
}

bool GetEnv(const std::string& name, std::string& out) {
  std::vector<char> buf(32768);
  const DWORD n = GetEnvironmentVariableA(name.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
  if (n >= buf.size()) return false;
  out.assign(buf.data(), n);
  return true;
}

bool SetEnv(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != FALSE;
}

namespace {

using SpecialFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);

SpecialFolderFn SpecialFolderFunction() {
  static SpecialFolderFn fn = [] {
    HMODULE shell32 = LoadLibraryA("SHELL32.DLL");
    if (shell32 == nullptr) return static_cast<SpecialFolderFn>(nullptr);
    return reinterpret_cast<SpecialFolderFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetSpecialFolderPathA")));
  }();
  return fn;
}

}  // namespace

bool SpecialFoldersAvailable() { return SpecialFolderFunction() != nullptr; }

bool SpecialFolder(int csidl, std::string& out) {
  SpecialFolderFn fn = SpecialFolderFunction();
  if (fn == nullptr) return false;
  char buf[MAX_PATH] = {};
  if (!fn(nullptr, buf, csidl, FALSE)) return false;
  out = buf;
  return true;
}

void SetPriorityIndex(int index) {
  static const DWORD classes[6] = {0x100, 0x80, 0x8000, 0x20, 0x4000, 0x40};
  if (index < 0 || index > 5) return;
  SetPriorityClass(GetCurrentProcess(), classes[index]);
}

std::string LastErrorText(std::size_t max_chars) {
  const DWORD err = GetLastError();
  std::vector<char> buf(std::max<std::size_t>(max_chars + 1, 2));
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err,
                                 LANG_USER_DEFAULT, buf.data(), static_cast<DWORD>(buf.size()), nullptr);
  return std::string(buf.data(), std::min<std::size_t>(n, max_chars));
}

void ExitWithStatus(int code) {
  std::fflush(nullptr);
  ExitProcess(static_cast<UINT>(code));
}

void AbortProcess() {
  std::fflush(nullptr);
  std::abort();
}

void SleepMs(unsigned ms) { Sleep(ms); }

bool ToUtf16(const std::string& text, std::u16string& out) {
  out.clear();
  if (text.empty()) return true;
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return false;
  std::vector<wchar_t> wide(static_cast<std::size_t>(n));
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n) != n) {
    return false;
  }
  out.assign(wide.begin(), wide.end());
  return true;
}

// ---- operating system version and console ----

namespace {

bool version_read = false;
bool version_known = false;
bool win9x = false;

void ReadVersion() {
  if (version_read) return;
  version_read = true;
  OSVERSIONINFOEXA ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) {
    version_known = true;
    win9x = ex.dwPlatformId != VER_PLATFORM_WIN32_NT;
    return;
  }
  OSVERSIONINFOA plain{};
  plain.dwOSVersionInfoSize = sizeof plain;
  if (GetVersionExA(&plain)) {
    version_known = true;
    win9x = plain.dwPlatformId != VER_PLATFORM_WIN32_NT;
  }
}

void ReopenStandardStreams() {
  std::freopen("CONIN$", "r", stdin);
  std::freopen("CONOUT$", "a", stdout);
  std::freopen("CONOUT$", "a", stderr);
}

HHOOK quit_hook = nullptr;

LRESULT CALLBACK QuitMessageHook(int code, WPARAM wp, LPARAM lp) {
  if (code >= 0 && wp == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (msg != nullptr && msg->message == WM_QUIT) FreeConsole();
  }
  return CallNextHookEx(quit_hook, code, wp, lp);
}

BOOL WINAPI ConsoleCtrlHandler(DWORD event) { return event == CTRL_LOGOFF_EVENT ? TRUE : FALSE; }

}  // namespace

bool OsVersionKnown() {
  ReadVersion();
  return version_known;
}

bool IsWin9x() {
  ReadVersion();
  return win9x;
}

bool OpenConsole() {
  if (!AllocConsole()) return false;
  ReopenStandardStreams();
  return true;
}

int HideConsole9x() {
  HWND desktop = GetDesktopWindow();
  if (!LockWindowUpdate(desktop)) return 22;
  AllocConsole();
  char title[32];
  std::snprintf(title, sizeof title, "wdc%lu", static_cast<unsigned long>(GetCurrentProcessId()));
  if (!SetConsoleTitleA(title)) {
    LockWindowUpdate(nullptr);
    return 25;
  }
  Sleep(50);
  HWND console = FindWindowA(nullptr, title);
  if (console == nullptr) {
    LockWindowUpdate(nullptr);
    return 26;
  }
  ShowWindow(console, SW_HIDE);
  LockWindowUpdate(nullptr);
  ReopenStandardStreams();
  return 0;
}

void InstallQuitHook9x() {
  quit_hook = SetWindowsHookExA(WH_GETMESSAGE, QuitMessageHook, nullptr, GetCurrentThreadId());
}

void RemoveQuitHook9x() {
  if (quit_hook != nullptr) UnhookWindowsHookEx(quit_hook);
  quit_hook = nullptr;
}

int ReadConsole9x(std::string& out) {
  out.clear();
  HANDLE con = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(con, &info)) return 42;
  const int width = info.dwSize.X;
  const int height = info.dwSize.Y;
  if (width <= 0) return 0;
  const int rows_per_block = std::max(1, 32767 / width / 4);
  std::vector<CHAR_INFO> cells(static_cast<std::size_t>(width) * rows_per_block);
  for (int top = 0; top < height; top += rows_per_block) {
    const int rows = std::min(rows_per_block, height - top);
    SMALL_RECT region{0, static_cast<SHORT>(top), static_cast<SHORT>(width - 1),
                      static_cast<SHORT>(top + rows - 1)};
    const COORD size{static_cast<SHORT>(width), static_cast<SHORT>(rows)};
    if (!ReadConsoleOutputA(con, cells.data(), size, COORD{0, 0}, &region)) return 23;
    for (int r = 0; r < rows; ++r) {
      std::string line;
      for (int c = 0; c < width; ++c) line.push_back(cells[static_cast<std::size_t>(r) * width + c].Char.AsciiChar);
      while (!line.empty() && (line.back() == ' ' || line.back() == '\0')) line.pop_back();
      if (line.empty()) continue;
      if (!out.empty()) out += "\r\n";
      out += line;
    }
  }
  return 0;
}

int ClearConsole9x() {
  HANDLE con = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(con, &info)) return 42;
  const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  DWORD done = 0;
  if (!FillConsoleOutputCharacterA(con, ' ', cells, COORD{0, 0}, &done)) return 30;
  if (!FillConsoleOutputAttribute(con, info.wAttributes, cells, COORD{0, 0}, &done)) return 31;
  return 0;
}

void InstallConsoleCtrlHandler() { SetConsoleCtrlHandler(ConsoleCtrlHandler, TRUE); }

// ---- dynamic libraries ----

void* OpenLibrary(const std::string& path) { return reinterpret_cast<void*>(LoadLibraryA(path.c_str())); }

void* LibrarySymbol(void* lib, const char* name) {
  if (lib == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}

// ---- threads and locks ----

struct Thread {
  void (*fn)(void*) = nullptr;
  void* arg = nullptr;
  HANDLE handle = nullptr;
};

namespace {

DWORD WINAPI ThreadMain(LPVOID p) {
  auto* t = static_cast<Thread*>(p);
  t->fn(t->arg);
  return 0;
}

}  // namespace

Thread* StartThread(void (*fn)(void*), void* arg) {
  auto* t = new Thread;
  t->fn = fn;
  t->arg = arg;
  t->handle = CreateThread(nullptr, 0, ThreadMain, t, 0, nullptr);
  if (t->handle == nullptr) {
    const DWORD err = GetLastError();
    delete t;
    SetLastError(err);
    return nullptr;
  }
  return t;  // lives as long as the process
}

bool WaitForThread(Thread* t, int timeout_ms) {
  return WaitForSingleObject(t->handle, timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms)) ==
         WAIT_OBJECT_0;
}

struct Lock {
  CRITICAL_SECTION section;
};

Lock* CreateLock() {
  auto* l = new Lock;
  InitializeCriticalSection(&l->section);
  return l;
}

void EnterLock(Lock* l) { EnterCriticalSection(&l->section); }
void LeaveLock(Lock* l) { LeaveCriticalSection(&l->section); }

struct SyncEvent {
  HANDLE handle;
};

SyncEvent* CreateSyncEvent() {
  HANDLE h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  return h == nullptr ? nullptr : new SyncEvent{h};
}

void SignalSyncEvent(SyncEvent* e) {
  if (e != nullptr) SetEvent(e->handle);
}

void WaitSyncEvent(SyncEvent* e) { WaitForSingleObject(e->handle, INFINITE); }

// ---- the output pipe ----

namespace {
HANDLE pipe_handle = INVALID_HANDLE_VALUE;
HANDLE read_event = nullptr;
HANDLE stop_event = nullptr;
std::atomic<bool> stopping{false};  // set by the reader thread once asked to stop

// One overlapped read that waits for its completion; the byte count, 0 at
// the end of the pipe, -1 on a failure, -2 when the stop event came first.
long OverlappedRead(char* buf, DWORD size, bool stoppable) {
  OVERLAPPED ov{};
  ov.hEvent = read_event;
  ResetEvent(read_event);
  DWORD got = 0;
  if (!ReadFile(pipe_handle, buf, size, nullptr, &ov)) {
    const DWORD err = GetLastError();
    if (err == ERROR_BROKEN_PIPE) return 0;
    if (err != ERROR_IO_PENDING) return -1;
    if (stoppable) {
      HANDLE events[2] = {read_event, stop_event};
      if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        CancelIo(pipe_handle);
        if (GetOverlappedResult(pipe_handle, &ov, &got, TRUE) && got > 0) return static_cast<long>(got);
        return -2;
      }
    }
  }
  if (!GetOverlappedResult(pipe_handle, &ov, &got, TRUE)) {
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  }
  return static_cast<long>(got);
}

}  // namespace

bool CreateOutputPipe(std::string& java_name) {
  char name[64];
  std::snprintf(name, sizeof name, "\\\\.\\pipe\\%lu", static_cast<unsigned long>(GetCurrentProcessId()));
  HANDLE h = CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 255, 0, 0, 0,
                              nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  read_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (read_event == nullptr || stop_event == nullptr) {
    const DWORD err = GetLastError();
    if (read_event != nullptr) CloseHandle(read_event);
    if (stop_event != nullptr) CloseHandle(stop_event);
    CloseHandle(h);
    read_event = stop_event = nullptr;
    SetLastError(err);
    return false;
  }
  pipe_handle = h;
  stopping = false;
  java_name = name;
  return true;
}

long ReadOutputPipe(char* buf, std::size_t size) {
  if (pipe_handle == INVALID_HANDLE_VALUE) return 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 0x7FFFFFFF));
  for (;;) {
    if (stopping) {
      // Take what is waiting, then end.
      DWORD available = 0;
      if (!PeekNamedPipe(pipe_handle, nullptr, 0, nullptr, &available, nullptr) || available == 0) return 0;
      const long n = OverlappedRead(buf, std::min(want, available), false);
      return n < 0 ? 0 : n;
    }
    const long n = OverlappedRead(buf, want, true);
    if (n == -2) {
      stopping = true;
      continue;
    }
    return n;
  }
}

void StopOutputPipeReader() {
  if (stop_event != nullptr) SetEvent(stop_event);
}

void CloseOutputPipe() {
  if (pipe_handle != INVALID_HANDLE_VALUE) {
    FlushFileBuffers(pipe_handle);
    CloseHandle(pipe_handle);
  }
  if (read_event != nullptr) CloseHandle(read_event);
  if (stop_event != nullptr) CloseHandle(stop_event);
  pipe_handle = INVALID_HANDLE_VALUE;
  read_event = stop_event = nullptr;
}

}  // namespace platform
