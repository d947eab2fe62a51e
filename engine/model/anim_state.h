// Automatic animation state: the statements of the model as the parse
// pass saw them, the layout bookkeeping of its blocks (row, segment,
// label, connection target) and the results of the model check. Written by
// the parse pass's animation bookkeeping (engine/exchange/anim_bookkeeping)
// and read by the layout file and the animated-model writers. Cleared by
// reset_anim_state at the start of the parse pass. The tables grow with the
// model; the parse pass is not part of a run, so nothing here is touched
// while a model runs.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "io/fixed_text.h"

namespace kelvo {

// One line of the model as the parse pass handed it on.
struct AnimStatement {
  int op_code = 0;          // operation code (40 for a LET before the first GENERATE); 0 for a data line
  Text6 label;              // the label, upper case, blank when none
  std::string word;         // the operation word as the user wrote it
  std::string operands;     // the whole operand field as the user wrote it
  std::string raw;          // the line itself (data lines are copied unchanged)
  int block = 0;            // block number (1..) when the statement is a block, else 0
};

// One block of the layout (index = block number, 1-based; entry 0 unused).
struct AnimBlock {
  int row = 0;              // row of the layout (0 = not placed yet)
  int segment = 0;          // segment (column) of the layout
  int generate_segment = 0; // the GENERATE (1..) whose transactions' segment the block belongs to
  Text6 label;              // label as the layout shows it (a located block may get COMn)
  Text6 target;             // connection target: where an IF, GOTO or SPLIT sends transactions
  int return_point = 0;     // return point number of an IF, GOTO or SPLIT with a target (0 none)
};

// A connection line pair of the layout: block `from` sends to block `to`.
struct AnimConnection {
  int from = 0;
  int to = 0;
};

struct AnimState {
  std::vector<AnimStatement> statements;  // every statement and data line, in order
  std::vector<AnimBlock> blocks;          // blocks, 1-based
  std::vector<AnimConnection> connections;
  int segment_count = 0;        // GENERATE statements seen
  int located_count = 0;        // blocks placed by a "(Loc:" comment
  // Return points (IF, GOTO, SPLIT with a target): the first of segment d
  // is GOTd; any further one, which would otherwise send its transactions
  // to another block's target, is numbered on from 10.
  std::array<bool, 10> segment_returns{};  // segment 1-9 has its return point GOTd
  int extra_return_count = 0;              // return points numbered from 10

  bool start_seen = false;      // START has been seen: blocks are no longer placed
  bool waitif_with_c = false;   // the model has a WAITIF with a C operand
  bool address_function = false;  // a FUNCTION's data line names a block address
  bool in_function_data = false;  // the lines after a FUNCTION statement are its data
  std::string dum_value;        // the value a LET before the first GENERATE gives X$DUM (empty: none)
  bool animani_written = false; // "animani" is written once per process
  // An animated copy (an ANI file) given as the model is laid out by the
  // user's blocks that it animates, not by the lines the rewriter added.
  Text6 copy_pending_label;     // a label the copy moved onto an added line: the next block's
  Text6 copy_return_label;      // label of the return point being read (blank before them)
  std::vector<std::pair<Text6, Text6>> copy_return_targets;  // return point label, the label it leads on to
  // Layout lines computed by check_auto_animation.
  std::vector<std::string> text_lines;     // block and connection lines, 40 characters
  std::vector<std::string> message_lines;  // MESSAGE BLO lines, 50 characters
  std::vector<std::string> label_lines;    // TEXT lines, 30 characters
  std::vector<std::string> block_paths;    // path header and segment lines of the blocks
  std::vector<std::string> return_paths;   // path lines of the return points
};

}  // namespace kelvo
