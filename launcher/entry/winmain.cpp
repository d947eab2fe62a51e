// Entry of the windowed Windows launcher.
#include <windows.h>

#include "core/launcher_main.h"
#include "platform/platform.h"
#include "platform/win32/win32_backend.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR command_line, int /*show*/) {
  platform::SetResourceModule(instance);
  const int status = srvlaunch::LauncherMain(command_line != nullptr ? command_line : "");
  // The virtual machine's own threads may still exist: the process ends here.
  platform::ExitWithStatus(status);
}
