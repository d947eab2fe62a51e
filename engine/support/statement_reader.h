// Reading of the model file: the operation table, opening the model
// (asking for its name where needed), 80-column lines with tabs turned
// into blanks, comment and marker lines, name suffixes, the listing line
// and the parse pass's line classification.
#pragma once

#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// ---- Operation table (42 entries; entry k gives operation code k) ----
inline constexpr int k_op_comment = 41;
inline constexpr int k_op_end = 31;
inline constexpr int k_op_anim = 26;
// The 6-character look-up word and the 9-character display word of code k.
std::string_view parse_op_word(int code);
std::string_view parse_op_display(int code);
// Position of a statement's operation word in the table (its first 6
// characters in upper case, LET+ and LET- as LETP and LETM; the first
// match, 0 when absent). Never an error: any text may be looked up.
int operation_code_of_word(std::string_view word);

// ---- Opening the model ----
// " What is the name of the KELVO program file" and reading the name.
void ask_program_file_name(Engine& e);
// Asks for the name when needed, checks it and opens the model file on the
// channel. Under the front end a missing file ends the engine.
void open_program_file_prompt(Engine& e, int unit, bool no_prompt);
// True when the name is too short (" Filename is too short"); the name END
// stops the engine.
bool check_file_name(Engine& e, const Text125& name);

// ---- Line readers ----
// The translator's reader. At the end of the file it closes the model and
// returns a blank line with ok true; a read after that is the missing-END
// error (or " Program does not exist" for count 0) and stops the engine.
void read_program_lines(Engine& e, int count, bool& ok, Line80& line);
// Turns a line of a result listing back into a model line.
void convert_listing_line(Engine& e, int count, bool first_line_read, Line80& line);
// The parse pass's reader: false at the end of the file (the model
// channel is then closed).
bool read_statement_line(Engine& e, Line80& line, int count);

// A statement line split into its fields by the parse pass.
struct ParsedStatement {
  Text6 label;
  int label_len = 0;
  Text9 operation;
  int operation_len = 0;
  FixedText<60> operands;
  int operands_len = 0;
  FixedText<70> comment;
  int comment_len = 0;
  int field_count = 0;
  int op_code = 0;  // position in the operation table, 0 when unknown
};
// Classifies one line of the parse pass and hands it to the parse-file
// writer; END sets the parse pass's end flag.
void classify_line(Engine& e, int count, const Line80& line);
// The fields of a statement, uncut: [label] operation [operands].
struct StatementFields {
  std::string_view label, operation, operands;
  int field_count = 0;
};
StatementFields statement_fields(std::string_view statement);
// Splits a statement (the text before any inline comment) into fields.
ParsedStatement split_statement_fields(std::string_view statement);

// ---- Line edits ----
// Removes underscore suffixes of names (QUEUE_1 names QUEUE) in columns
// 1 to k_stmt_end_col. Adds the removed length to removed (or
// label_removed for a suffix inside the first word).
void strip_name_suffixes(Line80& line, int& removed, int& label_removed);
// Column of a location tag "(Lo?:" starting in columns 15-75, 0 when none.
int find_location_tag(const Line80& line);
// Blanks a location tag (see find_location_tag) and, when the operand
// field then ends with the comma that introduced it, that comma.
void remove_location_tag(Line80& line);
// Marker cards (*  PRO, EXE, DOM, DEB, VSC) and the SIMULATE card.
void check_marker_card(Engine& e, const Line80& line, bool& marker, bool& simulate_card);
// Reads the first 10 columns of the model's first line (the model file
// opened and closed on the channel): a line beginning with '%', a marker
// card or a SIMULATE card sets header (the model's results are not meant
// for the terminal); any other line leaves it as it is.
void read_program_header(Engine& e, int unit, bool& header);
// The compact listing of FUNCTION data lines: appends a data line (its
// text up to the last non-blank column, then '/' and a blank) to the
// 70-character listing line; true when the line is full and is to be
// written (the data line then starts the next one). A blank line only
// brings the held-back text into the listing line.
bool copy_name_text(Engine& e, const Line80& line);
// One listing line: columns 1-68 and the statement number (6X,68A1,I3).
void write_program_line(Engine& e, int unit, int number, Line80& line);
// The first ',' and the first blank that are not between apostrophes
// (1-based columns, 0 when absent).
void split_operands(std::string_view text, int len, bool& comma, int& comma_col, bool& blank, int& blank_col);


}  // namespace kelvo
