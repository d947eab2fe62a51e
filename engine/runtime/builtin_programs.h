// The numbered built-in programs that special statements and special
// blocks call, and the routines of the programs that live beside the
// state they work on.
#pragma once

#include "model/program_args.h"

namespace kelvo {

struct Engine;

// Runs program n with the argument list; k is the special statement.
void call_builtin_program(Engine& e, int n, ProgramArgs& args, int k);

// Matrices (runtime/matrix_programs.cpp).
void check_matrix_dimensions(Engine& e, ProgramArgs& args);
void check_mx_row_column(Engine& e, ProgramArgs& args);
void matrix_read_dialog(Engine& e, ProgramArgs& args, bool structured);

// Graphs (runtime/graph_programs.cpp): mode 2 FPRIN, 1 GPRIN, 0 GPRIND,
// -1 GRAPHS.
void graph_statement(Engine& e, ProgramArgs& args, int k, int mode);
void write_tex_file(Engine& e);

// PRINT output (runtime/print_trace.cpp): the TXT result file is closed
// and deleted; results go on to the report channel.
void close_delete_side_output(Engine& e);

}  // namespace kelvo
