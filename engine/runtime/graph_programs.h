// The graph files of a run: their names, the console form of a graph
// value and the closing of the files at the end of the runs. The graph
// programs themselves are declared with the other built-in programs
// (runtime/builtin_programs.h).
#pragma once

#include <string>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// The file of graph g: the model's base name with GRT for a time graph,
// else PR and the graph's kind character; a later graph of a kind that an
// earlier graph has adds its number (MODEL.GRT, MODEL.GRT3).
std::string make_graph_name(Engine& e, int g);
// " Value at " x (F8.2) " is " y (F10.2, or F11.0 when it does not fit)
// on the console.
void print_graph_value(Engine& e, real4 x, real4 y);
// Closes every open graph file.
void close_graph_files(Engine& e);

}  // namespace kelvo
