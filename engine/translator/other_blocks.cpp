// Checks of the remaining blocks and statements (PRINT, and the LET
// MIN/MAX, GOTO, SPLIT, ASSEMBLE, TABULATE and TRACE forms as they come).
// Takes the statement's operands; produces the block's operand words or
// a statement error.
#include <string>

#include "translator/translator.h"

namespace kelvo {

// The PRINT operand check (texts, attributes, decimals) is not in this
// version: a PRINT statement is refused with its own message.
bool check_print_block(Engine& e, int4& v, int4& a) {
  v = 0;
  a = 0;
  statement_not_available(e, "PRINT");
  return false;
}

}  // namespace kelvo
