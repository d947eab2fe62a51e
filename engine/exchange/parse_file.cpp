// The parse pass's classification of model lines and the parse-file
// writer. Takes each model line of the parse pass; hands comments and
// statements (split into their fields) to the writer of "parsefile". This
// version's writer records no parse records: "parsefile" stays empty.
#include "exchange/parse_file.h"

#include "exchange/auto_animation.h"

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

void classify_line(Engine& e, int count, const Line80& line) {
  ControlState& c = e.ctl;
  const std::string_view text = line.trimmed();
  if (text.empty()) return;
  if (line.at(1) == '*') {
    if (c.parse_end_flag) {
      parse_comment_line(e, count, text);
    } else {
      c.cs_card_flag = count == 1 && line.at(3) == 'C' && line.at(4) == 'S';
    }
    return;
  }
  if (line.at(1) == '!' && !c.parse_end_flag) {
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
  if (p.op_code == k_op_anim && c.auto_animation_flag) {
    flag_error_without_hint(e, " Automatic animation not allowed with ANIM");
    stop_program(e);
  }
  if (p.op_code == k_op_end) c.parse_end_flag = true;
  anim_note_statement(e, line, statement, p);
  parse_statement_line(e, count, line, p);
}

void parse_comment_line(Engine&, int, std::string_view) {}
void parse_pending_comment(Engine&, std::string_view) {}
void parse_statement_line(Engine&, int, const Line80&, const ParsedStatement&) {}

}  // namespace kelvo
