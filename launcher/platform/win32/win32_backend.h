// What the Windows entry point needs of the Windows backend beyond the
// common platform interface.
#ifndef SRVLAUNCH_WIN32_BACKEND_H
#define SRVLAUNCH_WIN32_BACKEND_H

#include <windows.h>

namespace platform {

// The module whose resources the launcher reads.
void win32_set_instance(HINSTANCE instance);

}  // namespace platform

#endif
