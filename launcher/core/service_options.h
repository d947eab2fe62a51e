// The service option words of the command line. This build runs only as a
// windowed program: the words that would install, remove or run the
// Windows service are answered with a clear "not available" message.
#ifndef SRVLAUNCH_SERVICE_OPTIONS_H
#define SRVLAUNCH_SERVICE_OPTIONS_H

#include <string>
#include <vector>

namespace srvlaunch {

// The message for a service option word in a build without the service.
inline constexpr const char* kServiceNotAvailable = "Service mode is not available in this build.";

// Looks at argument 1 (slot 0 reserved); true when it was one of the three
// service option words and has been answered.
bool HandleServiceOptions(const std::vector<std::string>& args);

}  // namespace srvlaunch

#endif
