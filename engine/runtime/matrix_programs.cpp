// Matrix programs: storing into and fetching from the model's matrix and
// the matrix dialogues. The matrix statements are refused by the
// translator, so no run reaches these yet.
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "runtime/run_errors.h"

namespace kelvo {

void check_matrix_dimensions(Engine& e, ProgramArgs&) { run_error(e, " Not yet available: MATRIX"); }
void check_mx_row_column(Engine& e, ProgramArgs&) { run_error(e, " Not yet available: MATRIX"); }
void matrix_read_dialog(Engine& e, ProgramArgs&, bool) { run_error(e, " Not yet available: MATRIX"); }

}  // namespace kelvo
