// The parse pass's classification of model lines and the records it
// hands the front end. Takes each model line of the parse pass; writes
// comment groups, statement lines and data lines to "mainfile" and
// "parsefile" (when "newparse.zwx" exists) and counts the model's blocks.
#include "exchange/parse_file.h"

#include <algorithm>

#include "exchange/auto_animation.h"
#include "io/channels.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {
namespace {

int parse_unit(const Engine& e) { return e.ctl.unit_base + io::offset::parsefile; }
int main_unit(const Engine& e) { return e.ctl.unit_base + io::offset::mainfile; }

void to_parse_file(Engine& e, const io::Rec& r) {
  if (e.ctl.newparse_mode) e.ch.write(parse_unit(e), r);
}
void to_main_file(Engine& e, const io::Rec& r) {
  if (e.ctl.newparse_mode) e.ch.write(main_unit(e), r);
}

// A statement of two fields that is no operation is a line of data (a
// FUNCTION or TABLE row): two numbers, or a number paired with a name
// (an address function).
bool check_data_line(Engine& e, const ParsedStatement& p, std::string_view statement) {
  if (p.op_code != 0 || p.field_count != 2) return false;
  // Neither field is an operation, so the reader takes them as a label
  // and an operation word; here they are the line's two data fields.
  const StatementFields fields = statement_fields(statement);
  const std::string_view first = fields.label;
  const std::string_view second = fields.operation;
  const bool first_digit = is_digit_char(first.empty() ? ' ' : first.front());
  const bool second_digit = is_digit_char(second.empty() ? ' ' : second.front());
  const bool numbers = first_digit && second_digit;
  const bool number_name = first_digit && second.size() <= 6;
  const bool name_number = second_digit && first.size() <= 6 && second.find(',') == std::string_view::npos;
  if (!numbers && !number_name && !name_number) return false;
  if (!numbers) e.ctl.address_function_flag = true;
  // (1X,I4,1X,17A1): the fields in columns 1-8 and 10-17.
  std::string text(17, ' ');
  std::copy_n(first.begin(), std::min<std::size_t>(first.size(), 8), text.begin());
  std::copy_n(second.begin(), std::min<std::size_t>(second.size(), 8), text.begin() + 9);
  to_parse_file(e, io::Rec().x(1).i(4317, 4).x(1).chars(text));
  return true;
}

}  // namespace

void classify_line(Engine& e, int count, const Line80& line) {
  ControlState& c = e.ctl;
  const std::string_view text = line.trimmed();
  if (text.empty()) return;
  if (line.at(1) == '*') {
    if (e.parse.first_generate_seen) {
      parse_comment_line(e, count, line);
    } else {
      c.cs_card_flag = count == 1 && line.at(3) == 'C' && line.at(4) == 'S';
    }
    return;
  }
  if (line.at(1) == '!' && !e.parse.first_generate_seen) {
    parse_pending_comment(e, trim_blanks(line.cols(2, 80)));
    return;
  }
  // The statement is the text before the first '!', the inline comment
  // the text after it.
  const std::string_view all = line.view();
  const std::size_t bang = all.find('!');
  std::string_view statement = bang == std::string_view::npos ? all : all.substr(0, bang);
  while (!statement.empty() && (statement.back() == ' ' || statement.back() == '\t')) statement.remove_suffix(1);
  ParsedStatement p = split_statement_fields(statement);
  if (bang != std::string_view::npos) {
    const std::string_view comment = trim_blanks(all.substr(bang + 1));
    p.comment.assign(comment);
    p.comment_len = static_cast<int>(std::min<std::size_t>(comment.size(), 70));
  }
  // Errors of the parse pass show the statement they are about.
  c.current_statement = line;
  p.op_code = operation_code_of_word(p.operation.trimmed());
  const std::string_view word = p.operation.trimmed();
  std::string upper(word.substr(0, std::min<std::size_t>(word.size(), 6)));
  for (char& ch : upper) upcase_char(ch);
  if (upper == "STOR" || upper == "STORAG") {
    flag_error_without_hint(e, " STORAGE obsolete. Use CAPACITY");
    stop_program(e);
  }
  // A model to be animated automatically may not animate itself; an
  // animated model (an ANI file) holds the ANIM statements it was given.
  if (p.op_code == k_op_anim && c.animation_mode && !c.auto_animation_flag) {
    flag_error_without_hint(e, " Automatic animation not allowed with ANIM");
    stop_program(e);
  }
  if (p.op_code == k_op_end) c.parse_end_flag = true;
  anim_note_statement(e, line, statement, p);
  parse_statement_line(e, count, line, p);
}

void parse_comment_line(Engine& e, int, const Line80& line) {
  // "mainfile" gets the line and the comment's group; "parsefile" the
  // comment record (code 41, form 2). The comment is the text after '*'.
  const std::string_view text = trim_blanks(line.cols(2, 80));
  const std::string_view comment = text.substr(0, std::min<std::size_t>(text.size(), 78));
  const auto length = static_cast<long long>(comment.size());
  to_main_file(e, io::Rec().x(1).chars(line.view()));
  to_main_file(e, io::Rec().lit("    0"));
  to_main_file(e, io::Rec().lit(" ").lit("   1").lit(" *"));
  to_main_file(e, io::Rec().lit("    0"));
  to_main_file(e, io::Rec().x(1).i(length, 4).x(1).chars(comment));
  to_parse_file(e, io::Rec().x(1).i(record_number(pop::comment, 2), 4).x(1).lit("*"));
  to_parse_file(e, io::Rec().x(1).i(length, 4).x(1).chars(comment));
}

void parse_pending_comment(Engine& e, std::string_view text) {
  ParseState& ps = e.parse;
  ps.held_text.assign(text);
  ps.held_len = static_cast<int>(std::min<std::size_t>(text.size(), FixedText<78>::size));
  ps.held_flag = true;
}

void parse_statement_line(Engine& e, int, const Line80& line, const ParsedStatement& p) {
  // The line as it stands (80A1) goes to "mainfile".
  to_main_file(e, io::Rec().chars(line.view()));
  const std::string_view all = line.view();
  const std::string_view statement = all.substr(0, std::min(all.find('!'), all.size()));
  if (check_data_line(e, p, statement)) return;
  int code = p.op_code;
  write_statement_record(e, p.operands.view(), p.operands_len, code, p.label);
  // The label and the inline comment follow the statement's records.
  if (p.label_len > 0) to_parse_file(e, io::Rec().x(1).i(p.label_len, 4).x(1).chars(p.label.cols(1, p.label_len)));
  if (p.comment_len > 0) to_parse_file(e, io::Rec().x(1).i(p.comment_len, 4).x(1).chars(p.comment.cols(1, p.comment_len)));
}

}  // namespace kelvo
