// Capacities of the engine's fixed tables, each with its reason.
// Every index into these tables that comes from model text or a file is
// checked against them; exceeding one gives the engine's own
// " Too many ..." message.
#pragma once

namespace kelvo::limits {

// ---- Program intake and diagnostics -------------------------------------

// Model lines the readers accept (statements, comments and data lines).
// Well above the 1000 blocks a model may hold, because models carry
// comment lines and data after END.
inline constexpr int max_statements = 5000;

// Runs of one process whose report switch is kept (one word per run,
// index 0 is the state before the first START). Matches the run rows of
// the random-number seed table.
inline constexpr int max_runs = 500;

// Console answers and file names are read as lines of this many characters.
inline constexpr int console_line = 125;

// Entries of the parse pass's operation table (41 words and a blank).
inline constexpr int parse_ops = 42;

// Label codes the parse-file writer keeps per nesting depth (one per
// statement at most).
inline constexpr int parse_name_codes = 1000;

}  // namespace kelvo::limits
