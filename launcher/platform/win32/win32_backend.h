// What the Windows entry point needs of the Windows backend beyond the
// common platform interface.
#ifndef SRVLAUNCH_WIN32_BACKEND_H
#define SRVLAUNCH_WIN32_BACKEND_H

#include <windows.h>

namespace platform {

// The module whose resources the launcher reads.
void SetResourceModule(HINSTANCE instance);
HINSTANCE ResourceModule();
// The details dialog while it is open; null otherwise.
HWND OpenDetailsDialog();
// Centres a window on the screen, one pixel larger than its rectangle.
void CentreWindow(HWND hwnd);

}  // namespace platform

#endif
