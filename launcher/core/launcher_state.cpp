// The single instances of the launcher's configuration and state.
#include "launcher_state.h"

namespace srvlaunch {

LauncherConfig config;
LauncherState state;

void ResetLauncherState() {
  config = LauncherConfig{};
  state = LauncherState{};
}

}  // namespace srvlaunch
