// Command-line handling for spawnlib's POSIX backend: takes the one-string
// command line that the Java side passes (written for Windows) and produces
// the argument vector and the file to execute.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace spawnlib {

// Splits a command line into arguments by the rules of the Windows C
// run-time: the program name ends at the first blank or tab outside
// double quotes and its quotes are simply dropped; in later arguments
// 2n backslashes before a quote give n backslashes and the quote toggles
// quoting, 2n+1 backslashes give n backslashes and a literal quote, "" inside
// quotes gives a literal quote, and other backslashes are literal.
// Leading blanks are skipped; a blank line gives no arguments.
std::vector<std::string> split_command_line(std::string_view line);

// Finds the file that a program token names, the way Windows process
// creation does with no application name: a name with a '/' is taken
// relative to the caller's current directory; a bare name is looked for
// in the caller's current directory and then along PATH (an empty entry
// is the current directory). Returns an absolute path, or "" when no
// executable file is found.
std::string resolve_program(const std::string& program, const std::string& caller_dir,
                            const char* path_env,
                            const std::function<bool(const std::string&)>& is_executable);

}  // namespace spawnlib
