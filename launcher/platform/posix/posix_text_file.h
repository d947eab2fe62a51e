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
// The lines of a text, without their line feeds and carriage returns.
std::vector<std::string> Lines(const std::string& text);
// The tab-separated fields of a line (at least one).
std::vector<std::string> SplitTabs(const std::string& line);
// The escapes of the files' values: \\ \t \n \r. An unknown escape stays
// as it is.
std::string Escape(const std::string& s);
std::string Unescape(const std::string& s);
// The directory named by $SRVLAUNCH_SIM_ROOT, which holds the registry and
// event log files; empty when unset.
std::string FacilityFilesRoot();

}  // namespace platform

#endif
