// The call of the server's main class inside the virtual machine: the
// redirection of the Java standard streams to files, the console or the
// launcher's pipe, the launcher's system properties, the argument array and
// the call itself; and the shutdown of the machine.
#ifndef SRVLAUNCH_MAIN_CALL_H
#define SRVLAUNCH_MAIN_CALL_H

#include <string>
#include <vector>

namespace srvlaunch {

// Calls main of main_class with static_options followed by `args` (or by
// app_options when `args` is empty): on the thread that created the virtual
// machine, after the change to the working directory and the redirection
// of the Java output; or, with `attach`, on a thread attached to the
// machine for the call (the service's stop call), without either.
bool RunMainClass(const std::vector<std::string>& args, bool attach = false);
// Calls System.exit(0) on this thread, attached to the virtual machine;
// when it succeeds the process ends through the machine's exit hook.
bool CallSystemExit();
// The arguments that main receives.
std::vector<std::string> BuildMainArguments(const std::vector<std::string>& args);
// Detaches the current thread and destroys the virtual machine, which waits
// for the other non-daemon Java threads. The library stays loaded: the
// machine's own threads may still run in it.
void StopJvm();

}  // namespace srvlaunch

#endif
