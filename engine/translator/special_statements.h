// Special statements: calls of the numbered built-in programs (HELP and
// the statements rewritten into it: TRACE, INPUT, EXPERI ...). The
// program name of operand A becomes a program number; the operands after
// it become the statement's operand rows; before the first GENERATE the
// allowed programs run at once. After END the rows' names become entity
// numbers.
#pragma once

#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"
#include "model/program_args.h"

namespace kelvo {

struct Engine;

// stmt_op of an INPUT statement rewritten into a program call.
inline constexpr int4 k_stmt_op_input = 100;

// The six characters of the program name whose name code operand A
// holds (names met before are taken from the statement table's cache).
Text6 check_program_call(Engine& e, int4 code);
// The program number of a 6-character name: a built-in program, an alias
// (EXPERI, MATRIX ... ; the graph aliases come back above 100) or a user
// program of the program list file. False after " No FORTRAN program
// with A operand name" or another statement error.
bool resolve_program_name(Engine& e, const Text6& name, int& n);
// Reads the program list file "hvxyq" once per process: a count (I2),
// then one name per line (A6, upper-cased), appended after the built-in
// programs. A missing or unreadable file counts as empty. False after
// the error of a file that names more programs than the table holds.
bool read_program_list(Engine& e);

// Checks and stores the current statement as the next special statement:
// its program, its operand rows, and, used as a control statement
// (before the first GENERATE), runs the program at once.
void check_control_statement(Engine& e, bool control_use);
// The statement is an EXPERI statement beyond the lines the run cycle
// scans, in a model run without one: it is passed over.
bool experi_beyond_scan(Engine& e);
// Special statement k that calls VALIN: more than one SIMULATE run is an
// error; otherwise it is the run's VALIN statement.
void check_simulate_call(Engine& e, int k);
// A quoted text as operand D, its opening apostrophe at column `open`:
// the operand ends at the closing apostrophe (a missing one is reported
// and the operand ends at the last statement column). The operand's last column.
int scan_quoted_text(Engine& e, int open);
// After END: the names in the rows of special statements 1..n become
// entity numbers (a savevalue not named before is added).
void link_special_operands(Engine& e, int n);
// The results a program left in its arguments go to the savevalues of
// the rows of kind savevalue of special statement k: at run time into
// the savevalues, during translation into their initial values (only
// row 1 in a model with EXPERI). With the arguments as they were given
// to the program, a row whose argument the program left as it was keeps
// its savevalue untouched (a double value is not rounded to single
// precision by being read).
void find_operand_row(Engine& e, int k, const ProgramArgs& args, bool run_time,
                      const ProgramArgs* given = nullptr);
// " Give value of x$" and the name of named savevalue `number`, on the
// console.
void ask_savevalue_value(Engine& e, int4 number);
// A statement rewritten into a program call is listed as written: its
// label from column 1, `word` at column 8 and the text of `written`
// from its first non-blank column at or after `operand_col` (operands and
// comment) from column 18.
void list_as_written(Engine& e, const Line80& written, std::string_view label, std::string_view word,
                     int operand_col);

}  // namespace kelvo
