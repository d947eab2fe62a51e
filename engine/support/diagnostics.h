// Compile-error reports and the error channel. Every error goes to the one
// error channel chosen by open_error_unit, in the engine's fixed layout:
// the message, any hint lines, " Error found at the following statement:",
// a line of two blanks and the statement indented by three columns.
#pragma once

#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Chooses (and opens where needed) the error channel: the model's ATF file
// under automatic animation, its ERR file under the front end, else the
// output channel in use before the translator switched it.
int open_error_unit(Engine& e);
// Opens the ERR file under the front end and does nothing else.
void open_err_file_only(Engine& e);

// What a statement error does besides its report (one report per
// statement at most; the translation stops after a statement that set
// error_found).
enum class ErrorEffect {
  report,             // the report only: the model is not marked erroneous
  flag,               // marks the model erroneous (error_found), then reports
  flag_without_hint,  // the same without the address hint lines
};
void statement_error(Engine& e, std::string_view message, ErrorEffect effect);
// The three effects by name.
void report_statement_error(Engine& e, std::string_view message);
void flag_statement_error(Engine& e, std::string_view message);
void flag_error_without_hint(Engine& e, std::string_view message);
// The next slot of a 1-based table: count + 1 (count raised), or 0 with
// the count unchanged after its " Too many ..." message.
int take_slot(Engine& e, int4& count, int capacity, std::string_view message, ErrorEffect effect);
// The " Error in next statement" report of the statement syntax checks.
void write_statement_error(Engine& e, std::string_view message);
// Starts the error state of a new statement (one report per statement).
void clear_statement_error_state(Engine& e);

// One 50-character message line on the error channel.
void write_error_message(Engine& e, std::string_view message);
// One line written as it stands on the error channel.
void write_error_line(Engine& e, std::string_view line);
// A message the console shows as it stands; under the front end it also
// goes to the error channel, where the front end reads errors.
void write_console_message(Engine& e, std::string_view message);

// The model's base name followed by ERR (the front end's error file).
Text129 make_err_name(Engine& e);
// Deletes the model's ERR file left by an earlier run.
void delete_stale_err_file(Engine& e);

}  // namespace kelvo
