// The spine routines the translator calls (diagnostics and the stop,
// packed names, the statement reader, the run-control flags), and two
// small adapters that give them the value-returning form the translator's
// column code reads best with.
#pragma once

#include <string_view>

#include "control/diagnostics.h"
#include "control/later_stages.h"
#include "control/packed_names.h"
#include "control/run_cycle.h"
#include "control/statement_reader.h"
#include "control/stop.h"
#include "control/text_routines.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// The character folded to upper case.
inline char upcased(char c) {
  upcase_char(c);
  return c;
}

// The packed name read as a decimal number; false when it is not all digits.
inline bool name_number(Engine& e, int4 code, int4& value) {
  int v = 0;
  bool all = false;
  unpack_name_number(e, code, v, all);
  value = v;
  return all;
}

// One line written as it stands on the error channel.
void write_error_line(Engine& e, std::string_view line);

}  // namespace kelvo
