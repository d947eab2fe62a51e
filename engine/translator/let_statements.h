// LET statements and the IF with an assignment: the assignment syntax
// (LET target=value, LET+ and LET- with a comma, LET PR= as the priority
// form), the rewriting of a LET into the fixed layout, the compiling of a
// LET value or an IF assignment that is an expression, and the LET block
// check that fills the rows of the LET tables.
#pragma once

#include "io/fixed_text.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// What the assignment syntax made of a LET statement.
enum class LetForm {
  plain,     // target and value are operands A and B
  input,     // LET X$name=INPUT: rewritten as the special statement LETSA
  priority,  // LET PR=value: rewritten as PRIORITY value; check the line again
};
// The assignment of a LET, LET+ or LET- whose operand field starts at
// column `from` (called by the statement syntax check).
LetForm parse_let_assignment(Engine& e, int from);

// The pass's step for assignments: a LET in free layout is rewritten in
// the fixed one; a LET block whose value is an expression, and an IF with
// an assignment, get the expression compiled and become a LET of block
// code 40 whose B operand & names it. Checks the line again where it
// was rewritten. `written` is the line as the syntax check found it.
void compile_assignment_statement(Engine& e, bool& label_known, const Line80& written);

// LET blocks (codes 27, 36, 40): the target (a savevalue or a parameter)
// and a row of the LET tables for the value.
void check_let_block(Engine& e);

// Named savevalue of operand u (for the special statements that write
// one): found or appended; unless number_only, the operand then holds the
// number. False after " Too many named savevalues".
bool add_named_savevalue(Engine& e, int u, bool number_only, int4& number);

}  // namespace kelvo
