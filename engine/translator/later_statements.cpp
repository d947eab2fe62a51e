// Statements and operand forms whose checks are not built yet: each one
// flags its statement with a compile error of its own, so a model that
// uses them is never run with half-translated tables.
#include <string>

#include "model/engine.h"
#include "translator/spine_bridge.h"
#include "translator/translator.h"

namespace kelvo {

void statement_not_available(Engine& e, std::string_view what) {
  flag_statement_error(e, std::string(" Not yet available: ") + std::string(what));
}

// The PRINT operand check (texts, attributes, decimals) comes with the
// PRINT statement itself.
bool check_print_block(Engine& e, int4& v, int4& a) {
  v = 0;
  a = 0;
  statement_not_available(e, "PRINT");
  return false;
}

}  // namespace kelvo

namespace kelvo {

void write_error_line(Engine& e, std::string_view line) { e.ch.write(open_error_unit(e), line); }

}  // namespace kelvo
