// The message table, message formatting and the message router.
#include "messages.h"

#include <array>

#include "launcher_state.h"
#include "output_tail.h"
#include "platform/platform.h"

namespace srvlaunch {

namespace {

constexpr unsigned kFirstMessage = 1600;
constexpr unsigned kLastMessage = 1920;
constexpr std::size_t kMessageCount = (kLastMessage - kFirstMessage) / 16 + 1;
constexpr std::size_t kMaxMessage = 8191;
constexpr std::size_t kMaxReason = 4000;

std::array<std::string, kMessageCount> message_table;

}  // namespace

const char* InternalErrorText(int code) {
  switch (code) {
    case 22: return kRC0000022;
    case 23: return kRC0000023;
    case 25: return kRC0000025;
    case 26: return kRC0000026;
    case 30: return kRC0000030;
    case 31: return kRC0000031;
    case 42: return kRC0000042;
    default: return "Internal error";
  }
}

void LoadMessageTable() {
  for (std::size_t i = 0; i < kMessageCount; ++i) {
    message_table[i] = platform::ResourceString(kFirstMessage + static_cast<unsigned>(i) * 16);
  }
}

const std::string& MessageText(unsigned id) {
  static const std::string empty;
  if (id < kFirstMessage || id > kLastMessage || (id - kFirstMessage) % 16 != 0) return empty;
  return message_table[(id - kFirstMessage) / 16];
}

std::string FormatMessageText(std::string_view format, Args args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        if (next != args.end()) out.append(*next++);
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
    }
    out.push_back(c);
  }
  if (out.size() > kMaxMessage) out.resize(kMaxMessage);
  return out;
}

void RouteMessage(bool error, const std::string& text) {
  if (state.service_mode) {
    // A message before the service has registered its event source is
    // reported through a source opened here, so that it is not lost.
    if (!platform::EventSourceIsOpen()) platform::OpenEventSource(config.service_name);
    platform::ReportToEventLog(error, error ? kEventIdError : kEventIdInformation, text);
    return;
  }
  platform::ShowMessageBox(error, text);
}

void ShowInfoMessage(std::string_view format, Args args) {
  RouteMessage(false, FormatMessageText(format, args));
}

void ShowErrorMessage(std::string_view format, Args args) {
  if (!state.error_messages_enabled) return;
  RouteMessage(true, FormatMessageText(format, args));
}

void ShowErrorWithReason(std::string_view format, Args args) {
  if (!state.error_messages_enabled) return;
  const std::string reason = platform::LastErrorText(kMaxReason);
  const std::string message = FormatMessageText(format, args);
  RouteMessage(true, FormatMessageText("%s\n\nReason: %s", {message, reason}));
}

void ShowLastError() {
  if (!state.error_messages_enabled) return;
  RouteMessage(true, platform::LastErrorText(kMaxMessage));
}

void ShowErrorDetails(const std::string& details, std::string_view format, Args args) {
  const std::string message = FormatMessageText(format, args);
  if (state.service_mode) {
    RouteMessage(true, FormatMessageText("%s\n\nDetails:\n%s", {message, details}));
    return;
  }
  platform::ShowDetailsDialog(message, details);
}

void ReportFatalError(std::string_view format, Args args) {
  const std::string message = FormatMessageText(format, args);
  if (config.stdout_mode == kOutputUnchanged && config.stderr_mode == kOutputUnchanged) {
    ShowErrorMessage("%s", {message});
    return;
  }
  if (!state.windows_9x) {
    // Everything the Java program wrote must have reached the tail.
    ClosePipeAndWait();
    const std::string tail = TakeOutputTail();
    if (!tail.empty()) {
      ShowErrorDetails(tail, "%s", {message});
    } else {
      ShowErrorMessage("%s", {message});
    }
    return;
  }
  // Windows 9x: the Java output is on the launcher's hidden console.
  std::string console_text;
  const int code = platform::ReadConsole9x(console_text);
  if (code != 0) {
    ShowErrorWithReason(InternalErrorText(code));
    return;
  }
  if (!console_text.empty()) {
    ShowErrorDetails(console_text, "%s", {message});
  } else {
    ShowErrorMessage("%s", {message});
  }
  const int clear_code = platform::ClearConsole9x();
  if (clear_code != 0) ShowErrorWithReason(InternalErrorText(clear_code));
}

}  // namespace srvlaunch
