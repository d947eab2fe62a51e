// The service, splash and embedded-jar entry points of a build without them.
#include "service_hooks.h"

#include "launcher_state.h"
#include "messages.h"

namespace srvlaunch {

bool HandleServiceOptions(const std::vector<std::string>& args) {
  if (args.size() < 2) return false;
  const std::string& word = args[1];
  if (word != config.InstallOption && word != config.UninstallOption &&
      word != config.ServiceModeOption) {
    return false;
  }
  ShowErrorMessage(kServiceNotAvailable);
  return true;
}

void ExtractEmbeddedJars() { state.ExtractedJarCount = 0; }

void RemoveTemporaryJarFiles(unsigned long) {}

void StartJarCleanup() {}

bool StartSplashThread() { return false; }

void WaitForServiceStop() {}

}  // namespace srvlaunch
