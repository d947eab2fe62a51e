// Temporary: the two run-time resets that the translation pass calls.
// The run-time owns them and replaces this pair with its own routines.
#pragma once

namespace kelvo {

struct Engine;

// Zeroes the run counters and tables before a translation.
void reset_run_state(Engine& e);
// Clears the run tables when the model file gave no line.
void clear_run_tables(Engine& e);

}  // namespace kelvo
