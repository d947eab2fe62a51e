// The answer to the service option words.
#include "service_options.h"

#include "launcher_state.h"
#include "messages.h"

namespace srvlaunch {

bool HandleServiceOptions(const std::vector<std::string>& args) {
  if (args.size() < 2) return false;
  const std::string& word = args[1];
  if (word != config.install_option && word != config.uninstall_option &&
      word != config.service_mode_option) {
    return false;
  }
  ShowErrorMessage(kServiceNotAvailable);
  return true;
}

}  // namespace srvlaunch
