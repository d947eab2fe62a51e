// The parse pass's records for a graphical front end: each statement of
// the model classified and handed to the parse-file writer ("parsefile"),
// whose records the front end reads to draw the model.
#pragma once

#include <string_view>

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;
struct ParsedStatement;

// Classifies one line of the parse pass (comment, '!' comment, statement)
// and hands it to the parse-file writer; END sets the pass's end flag.
void classify_line(Engine& e, int count, const Line80& line);

// The parse-file writer: a comment line after END, a '!' comment kept for
// the next statement, and a statement line with its split fields.
void parse_comment_line(Engine& e, int count, std::string_view text);
void parse_pending_comment(Engine& e, std::string_view text);
void parse_statement_line(Engine& e, int count, const Line80& line, const ParsedStatement& p);

}  // namespace kelvo
