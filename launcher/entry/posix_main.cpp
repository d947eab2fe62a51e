// Entry of the POSIX launcher: the arguments are put back together into
// one command line, which the launcher splits by its own rules, so both
// builds see the same arguments.
#include <string>

#include "core/launcher_main.h"
#include "platform/platform.h"

namespace {

// An argument that is empty or holds a blank is quoted, unless it holds a
// quote itself.
std::string JoinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i > 1) line.push_back(' ');
    const bool quote = (arg.empty() || arg.find(' ') != std::string::npos) &&
                       arg.find('"') == std::string::npos;
    if (quote) line.push_back('"');
    line += arg;
    if (quote) line.push_back('"');
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const int status = srvlaunch::LauncherMain(JoinArguments(argc, argv));
  // The virtual machine's own threads may still exist: the process ends
  // without running the destructors of static objects.
  platform::ExitWithStatus(status);
}
