// Message boxes and the details dialog on POSIX: their text on standard
// error, and appended to the file named by $SRVLAUNCH_MESSAGE_LOG when set.
// There is no window system: no splash window is shown.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/posix/posix_text_file.h"

namespace platform {

namespace {

void ShowText(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  if (const char* log = std::getenv("SRVLAUNCH_MESSAGE_LOG"); log != nullptr && *log != '\0') {
    AppendToFile(log, text);
  }
}

}  // namespace

// A process here needs no permission to bring its windows to the front.
void AllowForegroundWindows() {}

void ShowMessageBox(bool error, const std::string& text) {
  ShowText(std::string(error ? "Error: " : "Information: ") + text + "\n");
}

void ShowDetailsDialog(const std::string& message, const std::string& details) {
  ShowText("Error: " + message + "\n\nDetails:\n" + details + "\n");
}

bool StartSplashThread(const SplashSettings&) { return false; }

int SplashWindowState() { return -1; }

}  // namespace platform
