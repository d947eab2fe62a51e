// The launcher's start-up from the command line to the exit status: clean-up
// mode, the start-up and executable directories, the configuration, the
// service options, the single-instance guard, the virtual machine and the
// main class call.
#ifndef SRVLAUNCH_LAUNCHER_MAIN_H
#define SRVLAUNCH_LAUNCHER_MAIN_H

#include <string>

namespace srvlaunch {

// Runs the launcher with its command line (without the program name);
// returns the process exit status: 0 for every orderly end, -1 when the
// virtual machine or the main class cannot be started.
int LauncherMain(const std::string& command_line);

}  // namespace srvlaunch

#endif
