// State of the PRINT blocks between block entries (which stored text waits
// for its attribute value), the output limit of PRINT, and the
// per-transaction mark table of the traced models. Written by the PRINT and
// trace routines (engine/runtime/print_blocks, print_trace); the waiting
// row lives for the whole process, the mark table is cleared at every run
// start.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

struct PrintState {
  // Row of the text that waits for its attribute value while
  // ReportState::print_state is set. print_entity_statistics.
  int4 waiting_row = 0;
  // The output limit: while it is in force and fewer lines than the limit
  // have been printed, PRINT writes nothing. Nothing switches it on; the
  // PRINT routines test it and count their lines.
  bool output_limit_on = false;
  int4 output_limit = 0;
  int4 lines_printed = 0;
  // Per-transaction mark table of a model that traces: one mark per
  // transaction record, cleared at run start (only then: a model that does
  // not trace never touches it), with the record's words as its width.
  // clear_trace_marks.
  bool marks_in_use = false;
  int4 mark_width = 0;                               // Set as the table is cleared; nothing reads it.
  std::array<int4, k_max_txn_records + 1> txn_mark;  // Cleared at run start; no PRINT or TRACE line reads it.
};

}  // namespace kelvo
