// The numbered built-in programs that special statements and special
// blocks call, and the routines of the programs that live beside the
// state they work on.
#pragma once

#include "io/fixed_text.h"
#include "model/program_args.h"

namespace kelvo {

struct Engine;

// Runs program n with the argument list; k is the special statement.
// Programs above the 36 built-in ones go to the user-program hook with
// their number less 36.
void call_builtin_program(Engine& e, int n, ProgramArgs& args, int k);
// A special block b (block code 34): its statement's operand rows as the
// argument list (a name travels as its bit pattern), the program, and
// the results back into the savevalues the rows name.
void resolve_block_operands(Engine& e, int b);
// The argument list of special block b (its special statement checked by
// the caller): rows up to the first empty one; a literal of 1000000 or
// more in magnitude is a name and keeps its bit pattern; for the
// animation programs argument G is 1 when operand B is a number.
ProgramArgs special_block_arguments(Engine& e, int b);
// SNAQS: the statistic that argument B numbers of the entity that row A
// of special statement k names (clock, queue, storage, facility, table,
// or a savevalue for the statistics of a series of runs) into argument C.
void entity_statistic_program(Engine& e, ProgramArgs& args, int k);
// The word a trace line or a listing shows for the special block b:
// GRAPH, MATRIX, TRACE, LET or ANIM by its program; otherwise `name`
// (the caller's word) stays.
void block_type_name(const Engine& e, int b, Text6& name);

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
