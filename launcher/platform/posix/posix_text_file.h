// The text files through which the POSIX backend keeps what Windows keeps
// in system facilities: reading and appending whole files, cutting text
// into lines and tab-separated fields, and the escapes of one-line values.
#ifndef SRVLAUNCH_POSIX_TEXT_FILE_H
#define SRVLAUNCH_POSIX_TEXT_FILE_H

#include <string>
#include <vector>

namespace platform {

// Reads a whole file; false when it cannot be opened.
bool ReadTextFile(const std::string& path, std::string& out);
// Appends text to a file, created when missing; a failure is ignored.
void AppendToFile(const std::string& path, const std::string& text);
// Replaces a file's contents as one step (a new file renamed over it);
// false with errno set on a failure.
bool ReplaceFile(const std::string& path, const std::string& text);
// Makes a FIFO anew at `path` and opens it with `flags`; the descriptor,
// or -1 with errno set (and no FIFO left behind).
int OpenNewFifo(const std::string& path, int flags);
// The lines of a text, without their line feeds and carriage returns.
std::vector<std::string> Lines(const std::string& text);
// The tab-separated fields of a line (at least one).
std::vector<std::string> SplitTabs(const std::string& line);
// The escapes of the files' values: \\ \t \n \r \0. An unknown escape
// stays as it is.
std::string Escape(const std::string& s);
std::string Unescape(const std::string& s);
// The directory named by $SRVLAUNCH_SIM_ROOT, which holds the registry, the
// event log and the service manager's files; empty when unset.
std::string FacilityFilesRoot();

// Error codes of the stand-ins, kept in errno above every code of the
// system (Windows' own number + 0x10000), with the texts Windows gives them.
constexpr int kErrorServiceControllerConnect = 0x10000 + 1063;
constexpr int kErrorServiceDoesNotExist = 0x10000 + 1060;
constexpr int kErrorServiceExists = 0x10000 + 1073;
constexpr int kErrorNoFacilityRoot = 0x10000 + 1;
// The text of a stand-in error; null for a code of the system.
const char* StandInErrorText(int code);

}  // namespace platform

#endif
