// The single instances of the launcher's configuration and state.
#include "launcher_state.h"

#include <new>

namespace srvlaunch {

LauncherConfig config;
LauncherState state;

void ResetLauncherState() {
  config = LauncherConfig{};
  // The atomic flags cannot be assigned as a whole: the state is built anew.
  state.~LauncherState();
  ::new (&state) LauncherState();
}

}  // namespace srvlaunch
