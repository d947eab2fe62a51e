// Run-time errors: each ends the run through the block-error routines (the
// block line, the run's standard report unless it is switched off or
// already written, then the stop).
#pragma once

#include <string_view>

#include "io/fixed_format.h"

namespace kelvo {

struct Engine;

// Error at the active transaction's block.
[[noreturn]] void report_block_error(Engine& e);
// The run's report counts as written (none follows), then the error at
// the active block.
[[noreturn]] void mark_block_error(Engine& e);
// Error at block n named by the caller.
[[noreturn]] void report_error_at_block(Engine& e, int n);
// A 50-character message line, then the error at the active block.
[[noreturn]] void run_error(Engine& e, std::string_view message);
// A line built by the caller, written as it stands, then the error at the
// active block.
[[noreturn]] void run_error(Engine& e, const io::Rec& line);
// The block line of block n (none when n is 0 or less), then the stop
// without the run's report.
[[noreturn]] void stop_at_block(Engine& e, int n);
// A message followed by the block number (I4), then the stop without a
// report.
[[noreturn]] void stop_with_block(Engine& e, std::string_view text, int b);

}  // namespace kelvo
