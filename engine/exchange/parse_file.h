// The parse pass's records for a graphical front end: each statement of
// the model classified and handed to the parse-file writer ("parsefile"),
// whose records the front end reads to draw the model, and the model's
// lines copied to "mainfile". Both files are written only when
// "newparse.zwx" exists; the block counting happens in every parse pass.
#pragma once

#include <array>
#include <string_view>

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;
struct ParsedStatement;

// Operation codes of the parse pass (positions in the operation table).
namespace pop {
inline constexpr int generate = 1;
inline constexpr int terminate = 2;
inline constexpr int seize = 3;
inline constexpr int release = 4;
inline constexpr int advance = 5;
inline constexpr int go_to = 6;
inline constexpr int arrive = 7;
inline constexpr int depart = 8;
inline constexpr int enter = 9;
inline constexpr int leave = 10;
inline constexpr int if_ = 11;
inline constexpr int if_alt = 12;
inline constexpr int waitif = 13;
inline constexpr int let = 14;
inline constexpr int let_plus = 15;
inline constexpr int let_minus = 16;
inline constexpr int let_statistic = 17;
inline constexpr int let_range = 18;
inline constexpr int print = 19;
inline constexpr int graph = 20;
inline constexpr int tabulate = 21;
inline constexpr int split = 22;
inline constexpr int assemble = 23;
inline constexpr int trace = 24;
inline constexpr int matrix = 25;
inline constexpr int anim = 26;
inline constexpr int preempt = 27;
inline constexpr int return_ = 28;
inline constexpr int simulate = 29;
inline constexpr int start = 30;
inline constexpr int end = 31;
inline constexpr int qtable = 32;
inline constexpr int input = 33;
inline constexpr int experi = 34;
inline constexpr int reset = 35;
inline constexpr int table = 36;
inline constexpr int capacity = 37;
inline constexpr int function = 38;
inline constexpr int valueof = 39;
inline constexpr int let_start_value = 40;  // a LET before the first GENERATE
inline constexpr int comment = 41;
}  // namespace pop

// The number heading a statement's records in "parsefile": the operation
// (a pop code) and the form number of its writer (1..99) in one field, as
// the front end reads them.
inline constexpr int record_number(int op, int form) { return op * 100 + form; }

// Relation codes of an IF condition in "parsefile" (not the translator's).
enum class ParseRelation : int {
  none = 0,
  equal = 1,          // =
  greater = 2,        // >
  less = 3,           // <
  greater_equal = 4,  // >=
  less_equal = 5,     // <=
  not_equal = 6,      // <>
};

// Classifies one line of the parse pass (comment, '!' comment, statement)
// and hands it to the parse-file writer; END sets the pass's end flag.
void classify_line(Engine& e, int count, const Line80& line);

// Clears the writer's counters and flags when the parse pass starts.
void reset_parse_state(Engine& e);

// The parse-file writer: a '*' comment line after the first GENERATE, a
// '!' line before it (held for the next INPUT), and a statement line with
// its split fields (copied to "mainfile", then written as records).
void parse_comment_line(Engine& e, int count, const Line80& line);
void parse_pending_comment(Engine& e, std::string_view text);
void parse_statement_line(Engine& e, int count, const Line80& line, const ParsedStatement& p);

// The records of one statement: counts blocks and calls the writer of the
// statement's kind. Some writers change the code (a statistic or range LET
// becomes 17 or 18, a LET before the first GENERATE 40); op_code returns it.
void write_statement_record(Engine& e, std::string_view operands, int len, int& op_code, const Text6& label);

// Operand items cut at the commas outside apostrophes: an empty item is
// one blank; items past the seventh are not kept. Views into the text.
struct OperandItems {
  std::array<std::string_view, 7> item{};
  int count = 0;
  // Item k (1-based); empty beyond the last item given.
  std::string_view operator[](int k) const {
    const bool given = k >= 1 && k <= count && k <= static_cast<int>(item.size());
    return given ? item[static_cast<std::size_t>(k - 1)] : std::string_view{};
  }
};
OperandItems split_operand_items(std::string_view text, int len, int max_items = 7);

}  // namespace kelvo
