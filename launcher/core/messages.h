// The launcher's messages: the message table read from the string
// resources, the internal error texts, and the one router through which
// every message leaves the launcher (a message box in the windowed program,
// the event log in service mode).
#ifndef SRVLAUNCH_MESSAGES_H
#define SRVLAUNCH_MESSAGES_H

#include <initializer_list>
#include <string>
#include <string_view>

namespace srvlaunch {

using Args = std::initializer_list<std::string_view>;

// Ids of the message texts.
enum MessageId : unsigned {
  kMsgAlreadyRunning = 1600,
  kMsgAccessError = 1616,
  kMsgWriteError = 1632,
  kMsgNoJre = 1648,
  kMsgLoadJvm = 1664,
  kMsgJniInterfaces = 1680,
  kMsgCreateJvm = 1696,
  kMsgAttachThread = 1712,
  kMsgLocateClass = 1728,
  kMsgLocateMethod = 1744,
  kMsgInstantiate = 1760,
  kMsgAssignString = 1776,
  kMsgInvokeMethod = 1792,
  kMsgServiceInstalled = 1808,
  kMsgServiceUninstalled = 1824,
  kMsgServiceAlreadyInstalled = 1840,
  kMsgServiceStarted = 1856,
  kMsgServiceStopped = 1872,
  kMsgServiceFailed = 1888,
  kMsgServiceTimedOut = 1904,
  kMsgServiceOnly = 1920,
};

// Event ids reported in service mode.
constexpr unsigned long kEventIdError = 0xC0000002UL;
constexpr unsigned long kEventIdInformation = 0x40000001UL;

// The internal errors.
inline constexpr const char* kRC000001 = "Internal error RC000001";
inline constexpr const char* kRC000002 = "Internal error RC000002";
inline constexpr const char* kRC000003 = "Internal error RC000003";
inline constexpr const char* kRC000004 = "Internal error RC000004";
inline constexpr const char* kRC000005 = "Internal error RC000005";
inline constexpr const char* kRC000006 = "Internal error RC000006";
// The embedded-jar resource is malformed: nothing is extracted.
inline constexpr const char* kRC000007 = "Internal error RC000007";
inline constexpr const char* kRC000015 = "Internal error RC000015";
inline constexpr const char* kRC0000022 = "Internal error RC0000022";
inline constexpr const char* kRC0000023 = "Internal error RC0000023";
inline constexpr const char* kRC0000025 = "Internal error RC0000025";
inline constexpr const char* kRC0000026 = "Internal error RC0000026";
inline constexpr const char* kRC0000030 = "Internal error RC0000030";
inline constexpr const char* kRC0000031 = "Internal error RC0000031";
inline constexpr const char* kRC0000040 = "Internal error RC0000040";
inline constexpr const char* kRC0000042 = "Internal error RC0000042";
inline constexpr const char* kRC0000050 = "Internal error RC0000050";

// The text of an internal error by its number as the backend reports it
// (22, 23, 25, 26, 30, 31, 42); "Internal error" for an unknown number.
const char* InternalErrorText(int code);

// Reads the message texts 1600 to 1920 from the string resources.
void LoadMessageTable();
// The text of a message; the empty text for an unknown id.
const std::string& MessageText(unsigned id);

// Formats a message: each "%s" takes the next argument (none left: the empty
// text), "%%" is one '%', anything else is copied as it stands. The result
// is cut to 8191 characters. Arguments are never read as formats.
std::string FormatMessageText(std::string_view format, Args args = {});

// Sends a finished text to the user: the event log in service mode, else a
// message box captioned "Error" or "Information".
void RouteMessage(bool error, const std::string& text);

void ShowInfoMessage(std::string_view format, Args args = {});
// The two error routines show nothing while error_messages_enabled is false.
void ShowErrorMessage(std::string_view format, Args args = {});
void ShowErrorWithReason(std::string_view format, Args args = {});
// The system's text for the calling thread's last error, as an error.
void ShowLastError();
// An error after which the Java program's latest output matters: shown with
// the captured output as details when there is any.
void ReportFatalError(std::string_view format, Args args = {});
void ShowErrorDetails(const std::string& details, std::string_view format, Args args = {});

}  // namespace srvlaunch

#endif
