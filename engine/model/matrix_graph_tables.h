// The model's matrix and its graphs. MatrixState holds the one matrix of
// numbers that MATRIX statements, data lines after END and the matrix
// files fill and MX references read; GraphTables the graphs that GRAPH
// statements register, with the files they are written to. Both are the
// translator's (reset by reset_compile_state); the run-time writes into
// the matrix and the graphs' header flags while a model runs.
#pragma once

#include <array>

#include "io/fixed_text.h"
#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

struct MatrixState {
  // Values by column and row: matrix_data[c][r], c 1..12, r 1..250
  // (index 0 unused). Data after END, MATRIX stores and the readers.
  std::array<std::array<real4, k_matrix_rows + 1>, k_matrix_cols + 1> matrix_data{};
  // Highest row (counted only for a positive column) and highest column
  // stored so far; never above the capacities.
  int4 matrix_rows = 0;
  int4 matrix_cols = 0;
  // Row 1 is written as whole numbers (a MATRIX INT statement).
  bool integer_first_row = false;
  // The model reads its matrix (an MX reference or a MATUT call): the
  // data lines after END are read and copied to the menu file.
  bool menu_file_wanted = false;
};

// GRAPH statements and the graph programs: at most 10 graphs.
inline constexpr int k_graph_limit = 10;
// Axis names of one graph.
inline constexpr int k_graph_axes = 5;
// Statement code of a graph made by a GRAPH statement (a graph program
// called by its own name has that program's number as code).
inline constexpr int k_graph_statement_code = 100;

struct GraphTables {
  // Graphs registered. parse_graph; 0 at reset.
  int4 graph_count = 0;
  // Per graph 1..10: kind character ('T' a time graph, else the class
  // letter of the first axis), axis names, statement code.
  std::array<char, k_graph_limit + 1> graph_kind{};
  std::array<std::array<Text6, k_graph_axes + 1>, k_graph_limit + 1> axis_name{};
  std::array<int4, k_graph_limit + 1> graph_code{};
  // The header line is in the graph's file. graph_statement.
  std::array<bool, k_graph_limit + 1> header_written{};
  // Per special statement 1..150: the graph it feeds (0 none) and which
  // of the axes 1..4 it gives a value for (bit a-1 for axis a).
  std::array<int4, k_spec_limit + 1> statement_graph{};
  std::array<int4, k_spec_limit + 1> statement_axes{};
  // Model line of the statement that the GRAPH check rewrote into a call
  // of its program (its graph gets the GRAPH statement code).
  int4 graph_form_line = -1;
};

}  // namespace kelvo
