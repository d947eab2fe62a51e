// The model file reader.
// Takes the model file named by program_file_name; produces 80-column
// statement lines (tabs in columns 1-65 turned into blanks), the operation
// table, listing lines and, for the parse pass, the split fields of each
// statement.
#include "support/statement_reader.h"

#include <algorithm>
#include <array>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

struct OpEntry {
  std::string_view word;
  std::string_view display;
};

constexpr std::array<OpEntry, k_parse_ops + 1> k_ops = {{
    {"", ""},
    {"GENERA", "GENERATE"}, {"TERMIN", "TERMINATE"}, {"SEIZE", "SEIZE"},   {"RELEAS", "RELEASE"},
    {"ADVANC", "ADVANCE"},  {"GOTO", "GOTO"},        {"ARRIVE", "ARRIVE"}, {"DEPART", "DEPART"},
    {"ENTER", "ENTER"},     {"LEAVE", "LEAVE"},      {"IF", "IF"},         {"IF", "IF"},
    {"WAITIF", "WAITIF"},   {"LET", "LET"},          {"LETP", "LET+"},     {"LETM", "LET-"},
    {"LET", "LET"},         {"LET", "LET"},          {"PRINT", "PRINT"},   {"GRAPH", "GRAPH"},
    {"TABULA", "TABULATE"}, {"SPLIT", "SPLIT"},      {"ASSEMB", "ASSEMBLE"}, {"TRACE", "TRACE"},
    {"MATRIX", "MATRIX"},   {"ANIM", "ANIM"},        {"PREEMP", "PREEMPT"}, {"RETURN", "RETURN"},
    {"SIMULA", "SIMULATE"}, {"START", "START"},      {"END", "END"},       {"QTABLE", "QTABLE"},
    {"INPUT", "INPUT"},     {"EXPERI", "EXPERI"},    {"RESET", "RESET"},   {"TABLE", "TABLE"},
    {"CAPACI", "CAPACITY"}, {"FUNCTI", "FUNCTION"},  {"VALUEO", "VALUEOF"}, {"LET", "LET"},
    {"COMM", "*"},          {"", ""},
}};

constexpr int k_tab_last_col = 65;

void replace_tabs(const Engine& e, Line80& line) {
  for (int col = 1; col <= k_tab_last_col; ++col) {
    if (line.at(col) == e.ctl.tab_code) line.set(col, ' ');
  }
}

bool read_model_record(Engine& e, Line80& line, io::ReadStatus& status) {
  // The run-time limit holds while the model is read and translated too.
  stop_if_run_time_exceeded(e);
  std::string text;
  status = e.ch.read_line(e.ctl.unit_base, text);
  line.assign(text);
  return status == io::ReadStatus::ok;
}

void stop_if_too_many_lines(Engine& e, int count) {
  if (count > k_max_statements) {
    flag_error_without_hint(e, " Program has too many statements");
    stop_program(e);
  }
}

}  // namespace

std::string_view parse_op_word(int code) {
  return code >= 1 && code <= k_parse_ops ? k_ops[static_cast<std::size_t>(code)].word : std::string_view{};
}

std::string_view parse_op_display(int code) {
  return code >= 1 && code <= k_parse_ops ? k_ops[static_cast<std::size_t>(code)].display : std::string_view{};
}

int operation_code_of_word(std::string_view word) {
  // The look-up word: upper case, 6 characters, LET+ and LET- as LETP and LETM.
  std::string key(word.substr(0, std::min<std::size_t>(word.size(), 6)));
  for (char& ch : key) upcase_char(ch);
  if (key.size() >= 4 && key[3] == '+') key[3] = 'P';
  if (key.size() >= 4 && key[3] == '-') key[3] = 'M';
  if (key.empty()) return 0;
  for (int k = 1; k <= k_parse_ops; ++k) {
    if (parse_op_word(k) == key) return k;
  }
  return 0;
}

void ask_program_file_name(Engine& e) {
  e.ch.write(io::k_console_out, " What is the name of the KELVO program file");
  e.ch.write(io::k_console_out, "  ");
  e.ch.write(io::k_console_out, " At least 4 characters");
  e.ctl.program_file_name.clear();
  e.ctl.program_file_name.assign(read_console_line(e));
}

bool check_file_name(Engine& e, const Text125& name) {
  if (name.at(4) != ' ') return false;
  if (upcased(name.at(1)) == 'E' && upcased(name.at(2)) == 'N' && upcased(name.at(3)) == 'D') stop_now(e);
  write_error_message(e, " Filename is too short");
  return true;
}

void open_program_file_prompt(Engine& e, int unit, bool no_prompt) {
  ControlState& c = e.ctl;
  const bool name_known = c.experi_run || c.name_from_cycle || c.repeat_model;
  if (!(no_prompt && name_known)) ask_program_file_name(e);
  for (;;) {
    if (!c.program_file_name.is_blank()) {
      int pos = 0;
      get_program_base_name(e, pos);
      c.drive_flag = upcased(c.program_file_name.at(1)) == 'A' && c.program_file_name.at(2) == ':';
    }
    if (check_file_name(e, c.program_file_name)) {
      ask_program_file_name(e);
      continue;
    }
    const std::string_view path = c.program_file_name.trimmed();
    if (io::Channels::exists(path) && e.ch.open_read(unit, path)) {
      std::string first;
      const bool readable = e.ch.read_line(unit, first) == io::ReadStatus::ok;
      e.ch.close(unit);
      if (readable && e.ch.open_read(unit, path)) return;
    }
    write_console_message(e, " File does not exist");
    // Nobody answers a prompt under the front end.
    if (c.java_mode) stop_program(e);
    ask_program_file_name(e);
  }
}

void read_program_lines(Engine& e, int count, bool& ok, Line80& line) {
  stop_if_too_many_lines(e, count);
  io::ReadStatus status;
  if (read_model_record(e, line, status)) {
    if (e.ctl.listing_file_flag) convert_listing_line(e, count, e.ctl.first_line_read, line);
    e.ctl.first_line_read = true;
    bool late_text = false;
    for (int col = 75; col <= 80; ++col) late_text = late_text || line.at(col) != ' ';
    bool has_comment = false;
    for (int col = 1; col <= k_stmt_end_col; ++col) has_comment = has_comment || line.at(col) == '!';
    ok = true;
    if (late_text && has_comment) {
      e.ctl.current_statement = line;
      flag_error_without_hint(e, " Comment extends beyond col. 74");
      write_error_message(e, " or the statement after");
      write_error_message(e, " ");
      return;
    }
    replace_tabs(e, line);
    return;
  }
  const int unit = e.ctl.unit_base;
  if (status == io::ReadStatus::end_of_file) {
    e.ch.close(unit);
    line.clear();
    ok = true;
    return;
  }
  ok = false;
  open_error_unit(e);
  if (e.ctl.newparse_mode) return;
  if (count == 0) {
    write_error_message(e, " Program does not exist");
    e.ch.close(unit);
    line.clear();
    return;
  }
  write_error_message(e, " END statement missing or erroneous");
  e.ch.close(unit);
  if (e.cs.flags.data_after_end_flag) write_error_message(e, " or # missing after data after END");
  stop_program(e);
}

void convert_listing_line(Engine& e, int count, bool first_line_read, Line80& line) {
  const char c7 = line.at(7);
  if ((c7 == '*' || c7 == '!') && line.cols(1, k_label_cols) == "") {
    line.set(1, c7);
    line.set(7, ' ');
    return;
  }
  if (!first_line_read) {
    const std::string_view c23 = line.cols(2, 3);
    if ((count == 4 && c23 == "Ex") || (count == 6 && c23 == "Bl") || (count == 7 && c23 == "no")) line.clear();
    return;
  }
  if (!e.cs.flags.second_listing_flag) {
    if (line.at(4) == '1' && upcased(line.at(14)) == 'G' && upcased(line.at(15)) == 'E') line.set(4, ' ');
    return;
  }
  if (is_digit_char(line.at(2))) line.set(2, ' ');
  if (is_digit_char(line.at(3))) line.set(3, ' ');
  if (is_digit_char(line.at(4)) && line.at(3) == ' ') line.set(4, ' ');
}

bool read_statement_line(Engine& e, Line80& line, int count) {
  stop_if_too_many_lines(e, count);
  io::ReadStatus status;
  if (read_model_record(e, line, status)) {
    replace_tabs(e, line);
    return true;
  }
  e.ch.close(e.ctl.unit_base);
  line.clear();
  return false;
}

StatementFields statement_fields(std::string_view statement) {
  // Fields begin at a character that is neither blank nor tab and end at
  // the first blank that is not between apostrophes.
  std::array<std::string_view, 3> fields{};  // the text after a third field is a comment
  int n = 0;
  std::size_t i = 0;
  while (i < statement.size() && n < 3) {
    while (i < statement.size() && (statement[i] == ' ' || statement[i] == '\t')) ++i;
    if (i >= statement.size()) break;
    const std::size_t start = i;
    bool quoted = false;
    while (i < statement.size() && (quoted || statement[i] != ' ')) {
      if (statement[i] == '\'') quoted = !quoted;
      ++i;
    }
    fields[static_cast<std::size_t>(n++)] = statement.substr(start, i - start);
  }
  // A statement is [label] operation [operands]: the operation table tells
  // whether the first word is the operation or a label (a label that is
  // also an operation word is taken as a label only when an operation
  // follows it).
  StatementFields f;
  f.field_count = n;
  const bool first_is_op = n >= 1 && operation_code_of_word(fields[0]) != 0;
  const bool second_is_op = n >= 2 && operation_code_of_word(fields[1]) != 0;
  if (n == 1) {
    f.operation = fields[0];
  } else if (first_is_op && !(n == 3 && second_is_op)) {
    f.operation = fields[0];
    f.operands = fields[1];
  } else {
    f.label = fields[0];
    f.operation = fields[1];
    f.operands = fields[2];
  }
  return f;
}

ParsedStatement split_statement_fields(std::string_view statement) {
  ParsedStatement p;
  const StatementFields f = statement_fields(statement);
  p.field_count = f.field_count;
  const std::string_view label = f.label, op = f.operation, operands = f.operands;
  p.label.assign(label);
  p.label_len = static_cast<int>(std::min<std::size_t>(label.size(), k_label_cols));
  p.operation.assign(op);
  p.operation_len = static_cast<int>(std::min<std::size_t>(op.size(), 9));
  p.operands.assign(operands);
  p.operands_len = static_cast<int>(std::min<std::size_t>(operands.size(), 60));
  return p;
}

void strip_name_suffixes(Line80& line, int& removed, int& label_removed) {
  int first = 1;
  while (first <= k_stmt_end_col && line.at(first) == ' ') ++first;
  if (first > k_stmt_end_col) return;
  int from = first;
  for (;;) {
    int us = 0;
    for (int col = from; col <= k_stmt_end_col; ++col) {
      if (line.at(col) == '\'') break;
      if (line.at(col) == '_') {
        us = col;
        break;
      }
    }
    if (us == 0) return;
    int end = us + 1;
    while (end <= k_stmt_end_col) {
      const char ch = line.at(end);
      if (ch == ',' || ch == '=' || ch == '+' || ch == '-' || ch == '*' || ch == '/' || ch == ' ') break;
      ++end;
    }
    const int len = end - us;  // the '_' and the suffix before the delimiter
    for (int col = us; col <= k_stmt_end_col; ++col) line.set(col, col + len <= k_stmt_end_col ? line.at(col + len) : ' ');
    // A suffix inside the first word keeps the listing's label column.
    bool in_first_word = true;
    for (int col = first; col < us; ++col) in_first_word = in_first_word && line.at(col) != ' ';
    if (in_first_word && us - first <= 5 && line.at(first + 2) != ' ') {
      label_removed += len;
    } else {
      removed += len;
    }
    from = us;
  }
}

int find_location_tag(const Line80& line) {
  for (int col = 15; col <= 75; ++col) {
    if (line.at(col) == '(' && line.at(col + 1) == 'L' && line.at(col + 2) == 'o' && line.at(col + 4) == ':') return col;
  }
  return 0;
}

void remove_location_tag(Line80& line) {
  const int start = find_location_tag(line);
  if (start == 0) return;
  int stop = 80;
  for (int col = start + 1; col <= 80; ++col) {
    if (line.at(col) == ')') {
      stop = col;
      break;
    }
  }
  for (int col = start; col <= stop; ++col) line.set(col, ' ');
  bool only_blanks = true;
  for (int col = stop + 1; col <= k_stmt_end_col; ++col) only_blanks = only_blanks && line.at(col) == ' ';
  if (!only_blanks) return;
  int last = start - 1;
  while (last >= 1 && line.at(last) == ' ') --last;
  if (last >= 1 && line.at(last) == ',') line.set(last, ' ');
}

void check_marker_card(Engine& e, const Line80& line, bool& marker, bool& simulate_card) {
  std::array<char, 5> u{};
  for (int k = 0; k < 5; ++k) u[static_cast<std::size_t>(k)] = upcased(line.at(k + 1));
  const std::string_view word(&u[2], 3);
  marker = u[0] == '*' && u[1] == ' ' &&
           (word == "PRO" || word == "EXE" || word == "DOM" || word == "DEB" || word == "VSC");
  if (marker) {
    if (word == "DEB") e.ctl.debug_mode = true;
    e.ctl.cs_card_flag = word == "VSC";
  }
  simulate_card = std::string_view(u.data(), 4) == "SIMU" && line.at(9) == ' ' && is_digit_char(line.at(10));
}

void read_program_header(Engine& e, int unit, bool& header) {
  if (!e.ch.open_read(unit, e.ctl.program_file_name.trimmed())) return;
  std::string text;
  const bool read = e.ch.read_line(unit, text) == io::ReadStatus::ok;
  e.ch.close(unit);
  if (!read) return;
  const Line80 line(text.substr(0, std::min<std::size_t>(text.size(), 10)));
  bool marker = false, simulate_card = false;
  check_marker_card(e, line, marker, simulate_card);
  if (line.at(1) == '%' || marker || simulate_card) header = true;
}

bool copy_name_text(Engine& e, const Line80& l) {
  auto& p = e.cs.pass;
  if (p.cdl_ready) {
    // The line handed out last time was written: the held-back text starts the next.
    p.cdl_line.clear();
    for (int c = 1; c <= p.cdl_length - 1; ++c) p.cdl_line.set(c, p.cdl_pending.at(c));
  }
  p.cdl_ready = false;
  int last = Line80::size;
  while (last >= 1 && l.at(last) == ' ') --last;
  if (last == 0) return false;
  if (last + p.cdl_length < 70) {
    for (int c = 1; c <= last; ++c) p.cdl_line.set(p.cdl_length + c, l.at(c));
    p.cdl_line.set(p.cdl_length + last + 1, '/');
    p.cdl_length += last + 2;
    return false;
  }
  p.cdl_ready = true;
  p.cdl_pending.clear();
  for (int c = 1; c <= last; ++c) p.cdl_pending.set(c, l.at(c));
  p.cdl_pending.set(last + 1, '/');
  p.cdl_length = last + 2;
  return true;
}

void write_program_line(Engine& e, int unit, int number, Line80& line) {
  if (e.ctl.translate_needed) remove_location_tag(line);
  e.ch.write(unit, io::Rec().x(6).lit(line.cols(1, 68)).i(number, 3));
}

void split_operands(std::string_view text, int len, bool& comma, int& comma_col, bool& blank, int& blank_col) {
  comma = blank = false;
  comma_col = blank_col = 0;
  bool quoted = false;
  const int n = std::min(len, static_cast<int>(text.size()));
  for (int k = 0; k < n; ++k) {
    const char ch = text[static_cast<std::size_t>(k)];
    if (ch == '\'') quoted = !quoted;
    if (quoted) continue;
    if (ch == ',' && !comma) {
      comma = true;
      comma_col = k + 1;
    }
    if (ch == ' ' && !blank) {
      blank = true;
      blank_col = k + 1;
    }
  }
}

}  // namespace kelvo
