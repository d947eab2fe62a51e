// Routines of the translator, the run-time and the exchange files that
// program intake calls. Each stage defines them in its own files; those
// not built yet have a stand-in in later_stages_stub.cpp.
#pragma once

#include "io/fixed_text.h"

#include <string_view>

namespace kelvo {

struct Engine;
struct ParsedStatement;

// Translator: resets the compile state before a model is translated.
void reset_compile_state(Engine& e);
// Translator: the address/operation hint lines of a compile error.
void write_address_hint(Engine& e, int channel);
// Translator: whether a function name is a defined variable (V$ name
// used as a function); sets its number when it is.
bool find_defined_variable(Engine& e, int name, int& number);

// Run control: translates and runs the model (first, runs, mode are 1 for
// a plain run cycle).
void run_simulation(Engine& e, int first, int runs, int mode);
// Run control of an EXPERI experiment.
void run_experiment(Engine& e, bool from_run_cycle);
// The number of the run in progress (0 before the first START).
int current_run_number(const Engine& e);
// The block field of the active transaction (a block number as a real).
double active_txn_block(const Engine& e);
// The standard report of the current run.
void write_standard_report(Engine& e);

// The channel all report lines go to (6 is the console).
int current_out_unit(const Engine& e);

// EXPERI check: whether the model file holds an EXPERI statement.
bool parse_experi(Engine& e);

// Exchange files (automatic animation and the parse pass).
// A comment line after END, a pending '!' comment, and a statement line
// with its split fields, handed to the parse-file writer.
void parse_comment_line(Engine& e, int count, std::string_view text);
void parse_pending_comment(Engine& e, std::string_view text);
void parse_statement_line(Engine& e, int count, const Line80& line, const ParsedStatement& p);
void reset_anim_state(Engine& e);
void check_auto_animation(Engine& e);
void write_anim_layout(Engine& e);
void build_animated_model(Engine& e);
void write_animated_model(Engine& e);
// The name of the animated copy of the model, run in place of the model.
Text125 animated_model_name(const Engine& e);

}  // namespace kelvo
