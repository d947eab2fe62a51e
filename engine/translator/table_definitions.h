// TABLE and QTABLE statements and the table work files: the definitions
// the translator enters, the linking of their operands after END, and the
// files the front end reads (the graph list file with one line per
// histogram, one histogram file per table drawn, "zwxyq.tab" outside the
// front end, and the model's TRC file of the trace).
#pragma once

#include <string>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// One TABLE (qtable false) or QTABLE statement: its name, what it
// tabulates, the lower limit, the class width and the number of classes,
// and the histogram an E operand asks for.
void check_table_statement(Engine& e, bool qtable);
// The number of the table with this name; 0 after " Table in A operand
// not defined".
int find_table_number(Engine& e, int4 name);
// After END: the entity names of the TABLE operands become entity numbers
// and every named queue learns the QTABLE that tabulates it.
void link_table_operands(Engine& e);

// The graph list file: opened anew once per translation on unit_base+11
// (outside the front end "zwxyq.tab" is first written with the model's
// name). False when it cannot be opened.
bool open_graph_list_file(Engine& e);
// Table t's line in the graph list file (once per translation).
void write_table_file(Engine& e, int t);
// The histogram file of table t. `plain_zero` writes a lower limit of 0
// as 0 (otherwise as -0).
void read_table_defs(Engine& e, int t, bool plain_zero);
// Both, for a table drawn as a histogram.
void load_table_file(Engine& e, int t);
// The histogram file name of table t: the model's base name, QT and the
// character t - 1 places after '0'.
std::string make_qt_file_name(Engine& e, int t);
// Under the front end, the model's TRC file as the trace channel, opened
// once per translation; a TRACE written as a block (after the first
// GENERATE) lifts the limit on the trace lines.
void open_table_work_file(Engine& e, bool trace_block);
// The trace channel (unit_base + 36).
int trace_unit(const Engine& e);

}  // namespace kelvo
