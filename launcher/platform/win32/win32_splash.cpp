// The splash window: a bitmap (resource 8000) in a window of its own thread,
// shown while the Java runtime starts and closed after the configured
// seconds or once the Java program shows a window of its own.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/win32_backend.h"

namespace platform {

namespace {

constexpr UINT_PTR kTimerSeconds = 1;    // closes the splash after the configured seconds
constexpr UINT_PTR kTimerAppWindow = 2;  // looks for a window of the Java program
constexpr UINT kAppWindowPollMs = 500;
constexpr LONG_PTR kSplashStyle = 0x8000000E;  // WS_POPUP | SS_BITMAP

SplashSettings settings;
std::atomic<int> splash_state{0};
// Used on the splash thread only, once the window exists.
HWND splash_window = nullptr;
HWND app_window = nullptr;
WNDPROC static_window_proc = nullptr;

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd)) {
    ++*reinterpret_cast<int*>(lp);
    if (hwnd != splash_window && hwnd != OpenDetailsDialog()) app_window = hwnd;
  }
  return TRUE;
}

// The visible top-level windows of the process; remembers the last one
// that is neither the splash nor the details dialog.
int CountProcessWindows() {
  int count = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

void CloseSplash() {
  ShowWindow(splash_window, SW_HIDE);
  PostQuitMessage(0);
  LockWindowUpdate(GetDesktopWindow());
  if (app_window != nullptr) SetForegroundWindow(app_window);
  if (HWND dialog = OpenDetailsDialog(); dialog != nullptr) SetForegroundWindow(dialog);
  LockWindowUpdate(nullptr);
}

LRESULT CALLBACK SplashWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const LRESULT result = CallWindowProcA(static_window_proc, hwnd, msg, wp, lp);
  switch (msg) {
    case WM_CLOSE:
      PostQuitMessage(0);
      break;
    case WM_NCHITTEST:
      return HTCLIENT;  // clicks reach the window
    case WM_TIMER:
      if (wp == kTimerSeconds || (wp == kTimerAppWindow && CountProcessWindows() > 1)) {
        KillTimer(hwnd, wp);
        CloseSplash();
      }
      break;
    default:
      break;
  }
  return result;
}

// The window takes the size of the bitmap; without one it stays hidden.
bool CreateSplashWindow() {
  HINSTANCE instance = ResourceModule();
  HWND w = CreateWindowExA(0, "STATIC", settings.text.c_str(), static_cast<DWORD>(kSplashStyle), 0, 0, 0, 0, nullptr,
                           nullptr, instance, nullptr);
  if (w == nullptr) return false;
  splash_window = w;
  static_window_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SplashWindowProc)));
  HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(SRVLAUNCH_SPLASH_BITMAP));
  if (bitmap == nullptr) return true;
  SendMessageA(w, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  RECT r;
  GetWindowRect(w, &r);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  SetWindowPos(w, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetForegroundWindow(w);
  return true;
}

DWORD WINAPI SplashThread(LPVOID) {
  if (!CreateSplashWindow()) {
    splash_state = -1;
    return 0;
  }
  splash_state = 1;
  if (settings.until_app_window) {
    SetTimer(splash_window, kTimerAppWindow, kAppWindowPollMs, nullptr);
  } else if (settings.seconds != 0) {
    // A period beyond the timer's range waits as long as the timer can.
    const std::int64_t ms = static_cast<std::int64_t>(settings.seconds) * 1000;
    const UINT period = ms <= 0 || ms > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : static_cast<UINT>(ms);
    SetTimer(splash_window, kTimerSeconds, period, nullptr);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

bool StartSplashThread(const SplashSettings& s) {
  settings = s;
  HANDLE thread = CreateThread(nullptr, 0, SplashThread, nullptr, 0, nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);
  return true;
}

int SplashWindowState() { return splash_state; }

}  // namespace platform
