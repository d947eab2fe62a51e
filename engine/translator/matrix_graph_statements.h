// The compile side of the model's matrix and graphs: the MATRIX, MX( and
// GRAPH forms become calls of their built-in programs, the graphs are
// registered, and the data lines after END fill the matrix.
#pragma once

#include <string_view>

namespace kelvo {

struct Engine;

// ---- matrix_statements.cpp
// MATRIX with its word at column p: an operand that begins with X, a
// comma, a digit or IN makes it the call HELP  MATIN,...; an operand
// that begins with IN (MATRIX INT,...) asks for row 1 as whole numbers
// and its word gives way to MATIN. False, with nothing done, when a
// longer word begins with MATRIX; false after " MATRIX with no or
// incorrect operand" (or " A operand too long").
bool check_matrix_statement(Engine& e, int p);
// LET X$name=MX(r,c) with the LET at column s and the '=' at column eq:
// rewritten as HELP MATUT,r,c,X$name (operation at s, operand A at s+5),
// mx_form_flag set. False after " Illegal expression in MX(".
bool check_mx_expression(Engine& e, int s, int eq);
// The data lines after END (the first of them already read into `first`;
// the model file is open on unit_base): numbers into the matrix, each
// line copied to the model's MNU file. list_line > 0 lists the blank
// lines before the data with that line number. Statement errors:
// " Illegal characters after END" and the two "exceeds" messages.
void read_data_after_end(Engine& e, std::string_view first, int list_line);

// ---- graph_statements.cpp
// GRAPH with its word at column s: rewritten as HELP GRAPHC,<operands>.
// False after " GRAPH with no or incorrect operand".
bool graph_operand_error(Engine& e, int s);
// The graph program call of special statement k (FPRIN, GPRIN, GPRIND,
// GRAPHS: program number `program`): its axis names from the statement's
// operands B to F, and the graph it feeds, registered when new. False
// after " C operand missing" or " Only 10 graphs allowed".
bool parse_graph(Engine& e, int k, int program);

}  // namespace kelvo
