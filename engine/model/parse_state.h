// State of the parse pass's writer of "parsefile": the block counter, the
// first-GENERATE flag, the saved START statement, the held '!' text and
// the start-value line of an EXPERI statement. Written by the parse-file
// writer (engine/exchange/parse_file); reset by reset_parse_state when the
// parse pass starts; read by the automatic-animation steps.
#pragma once

#include <array>

#include "io/fixed_text.h"

namespace kelvo {

struct ParseState {
  int block_count = 0;                 // block statements seen so far; the layout numbers its own blocks, so nothing reads it
  bool first_generate_seen = false;    // a GENERATE has been seen: LETs are blocks
  // Set by VALUEOF, TABLE, CAPACITY and FUNCTION (the first flag); both
  // cleared by every other statement that is not a block.
  std::array<bool, 2> statement_kind_flags{};  // The pass tells blocks by their codes; nothing reads them.

  // The last START statement, written at END.
  FixedText<60> start_text;            // operand text without a ",NP"-style option
  int start_len = 0;                   // characters of start_text in use
  bool start_option = false;           // the operand ended in a ",xx" option

  // A '!' line before the first GENERATE, written by the next INPUT.
  FixedText<78> held_text;             // the line's text after '!', trimmed
  int held_len = 0;                    // characters of held_text in use
  bool held_flag = false;              // a held text waits for an INPUT

  bool model_sets_x_dum = false;       // a LET before GENERATE sets X$DUM
  FixedText<80> experi_start_line;     // "LET X$name=value" of the EXPERI statement, the value whole (a statement line holds no longer one)
};

}  // namespace kelvo
