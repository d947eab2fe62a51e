// The points where the Windows service, the splash window and the embedded
// jar files join the start-up. This build has none of the three: the
// service option words are answered with a clear "not available" message,
// no splash is shown and there are no embedded jar files.
#ifndef SRVLAUNCH_SERVICE_HOOKS_H
#define SRVLAUNCH_SERVICE_HOOKS_H

#include <string>
#include <vector>

namespace srvlaunch {

// The message for a service option word in a build without the service.
inline constexpr const char* kServiceNotAvailable = "Service mode is not available in this build.";

// Looks at argument 1 (slot 0 reserved); true when it was one of the three
// service option words and has been dealt with.
bool HandleServiceOptions(const std::vector<std::string>& args);
// Writes out the embedded jar files and extends ClassPath.
void ExtractEmbeddedJars();
// The clean-up copy: removes the jar files of the launcher with that id.
void RemoveTemporaryJarFiles(unsigned long process_id);
// Starts the clean-up copy.
void StartJarCleanup();
// Starts the splash window; false when there is none.
bool StartSplashThread();
// In service mode, when the service worker started the virtual machine:
// signals the service to stop and waits until it has reported so.
void WaitForServiceStop();

}  // namespace srvlaunch

#endif
