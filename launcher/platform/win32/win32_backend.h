// What the Windows entry point and the later window code need of the
// Windows backend beyond the common platform interface.
#ifndef SRVLAUNCH_WIN32_BACKEND_H
#define SRVLAUNCH_WIN32_BACKEND_H

#include <windows.h>

namespace platform {

// The module whose resources the launcher reads.
void win32_set_instance(HINSTANCE instance);
// The details dialog while it is open, else null.
HWND win32_open_dialog();

}  // namespace platform

#endif
