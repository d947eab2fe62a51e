// What the Windows entry point needs of the Windows backend beyond the
// common platform interface.
#ifndef SRVLAUNCH_WIN32_BACKEND_H
#define SRVLAUNCH_WIN32_BACKEND_H

#include <windows.h>

namespace platform {

// The module whose resources the launcher reads.
void SetResourceModule(HINSTANCE instance);

}  // namespace platform

#endif
