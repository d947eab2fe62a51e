// The process facility that spawnlib's entry points (entry_points.cpp) use,
// implemented once per platform: process_control_posix.cpp and
// process_control_win32.cpp.
// Nothing is kept between calls; every handle or descriptor a call opens is
// closed before it returns.
#pragma once

#include <cstdint>
#include <string>

namespace spawnlib {

// Starts a command line (the program is its first token) as a hidden
// process with its own console at idle priority, with the given working
// directory (nullptr: the caller's) and no inherited handles. Returns its
// process id (> 0), or 0 with a one-line reason in *error.
std::int64_t start_hidden_process(const char* command, const char* directory, std::string* error);

// Returns when the process with this id has ended, terminating it first
// when asked. Returns at once when the id names no process that this
// process started and that is still there to wait for.
void finish_process(std::int64_t id, bool terminate_first);

}  // namespace spawnlib
