// Graph programs: graph files and text inserts. GRAPH statements are
// refused by the translator, so no run reaches these yet.
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "runtime/run_errors.h"

namespace kelvo {

void graph_statement(Engine& e, ProgramArgs&, int, int) { run_error(e, " Not yet available: GRAPH"); }
void write_tex_file(Engine& e) { run_error(e, " Not yet available: GRAPH"); }

}  // namespace kelvo
