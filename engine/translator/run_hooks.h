// Temporary: the run-time routines that the translation pass calls (the
// two resets and the WRN and result-file openers). The run-time owns
// them and replaces these stand-ins with its own routines.
#pragma once

#include <string_view>

namespace kelvo {

struct Engine;

// Zeroes the run counters and tables before a translation.
void reset_run_state(Engine& e);
// Clears the run tables when the model file gave no line.
void clear_run_tables(Engine& e);
// The model's WRN file on unit_base + 55, opened the first time; its channel.
int open_wrn_file(Engine& e);
// Makes `name` a new empty file on `unit` (an old one is deleted first).
bool open_or_delete_file(Engine& e, int unit, std::string_view name);

}  // namespace kelvo
