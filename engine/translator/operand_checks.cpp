// Small operand checks the statement checks share: names, digits, the
// D-operand count, the EXPERI and INPUT statement rewrites, VALUT, the
// INPUT data file and its table, and the matrix form texts. Takes the
// statement record and the translator's tables; produces a value, a
// rewritten line or a statement error.
#include "translator/operand_checks.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

bool check_operand_required(Engine& e) {
  const auto& len = e.cs.stmt.stmt_fields.opnd_len;
  for (int u = 1; u <= 8; ++u) {
    if (len[ix(u)] > 0) return true;
  }
  flag_statement_error(e, " Operand required");
  return false;
}

bool check_name_three_letters(Engine& e, int4 name) {
  const Text6 t = unpack_name_chars(e, name);
  if (is_letter(t.at(1)) && is_letter(t.at(2)) && is_letter(t.at(3))) return true;
  flag_error_without_hint(e, " A operand name does not start with 3 letters");
  return false;
}

Text6 select_name_by_digit(char digit) { return Text6(digit == '1' || digit == '2' ? "TIME" : ""); }

int check_d_operand(Engine& e) {
  return take_slot(e, e.ent.fn.function_count, k_function_limit, " Too many functions or IF blocks with D operand",
                   ErrorEffect::flag_without_hint);
}

void name_digits_value(Engine& e, int4 name, int4& value) {
  const Text6 t = unpack_name_chars(e, name);
  int4 v = 0;
  for (int c = 1; c <= 6 && is_digit_char(t.at(c)); ++c) v = v * 10 + (t.at(c) - '0');
  value += v;
}

bool check_name_letters(std::string_view word, int& code) {
  if (word.size() != 5 || !is_digit_char(word[4])) return false;
  const int d = word[4] - '0';
  if (word.substr(0, 4) == "RLNG") code = fnk::erlang_base + d;
  else if (word.substr(0, 4) == "TRAI") code = fnk::triangular_base + d;
  else return false;
  return true;
}

void raise_kind_if_over(const Engine& e, int& kind, int4 value) {
  if (kind == opnd::storage && value > e.ent.st.numbered_station_count) kind = opnd::savevalue;
}

namespace {
// The statement word of `len` characters at column p, followed by an
// operand field that begins with X$, becomes HELP <word>,<operands>: the
// call of the built-in program of that name. False when the field does
// not begin with X$ (nothing reported) or after " A operand too long"
// (the operands would pass the last statement column).
bool rewrite_as_program_call(Engine& e, int p, std::string_view word, bool& too_long) {
  Line80& l = e.cs.stmt.stmt_line;
  too_long = false;
  int o = p + static_cast<int>(word.size());
  while (o <= k_stmt_end_col && l.at(o) == ' ') ++o;
  if (o > 71 || up_at(l, o) != 'X' || l.at(o + 1) != '$') return false;
  too_long = !splice_operand_field(e, p, "HELP " + std::string(word) + ",", o);
  return !too_long;
}
}  // namespace

bool splice_operand_field(Engine& e, int p, std::string_view text, int o) {
  const Line80& l = e.cs.stmt.stmt_line;
  int end = o;
  while (end <= k_stmt_end_col && l.at(end) != ' ' && l.at(end) != '!') ++end;
  const int shift = p + static_cast<int>(text.size()) - o;
  if (end - 1 + shift > k_stmt_end_col) {
    flag_error_without_hint(e, " A operand too long");
    return false;
  }
  splice_statement_line(e, p, text, o);
  return true;
}

void splice_statement_line(Engine& e, int from, std::string_view text, int rest_from) {
  Line80& l = e.cs.stmt.stmt_line;
  const Line80 old = l;
  Line80 line;
  for (int c = 1; c < from; ++c) line.set(c, old.at(c));
  int c = from;
  for (char ch : text) line.set(c++, ch);
  for (char ch : old.cols(rest_from, 80)) line.set(c++, ch);
  l = line;
}

bool experi_operand_error(Engine& e, int p) {
  bool too_long = false;
  if (rewrite_as_program_call(e, p, "EXPERI", too_long)) return true;
  if (!too_long) flag_error_without_hint(e, " EXPERI with no or incorrect operand");
  return false;
}

int rewrite_input_statement(Engine& e, int p) {
  bool too_long = false;
  if (rewrite_as_program_call(e, p, "INPUT", too_long)) return 7;
  if (!too_long) flag_error_without_hint(e, " INPUT with no or incorrect operand");
  return 0;
}

bool add_valut_statement(Engine& e, int4 name) {
  auto& v = e.flow.valut;
  const int k = take_slot(e, v.valut_count, k_valut_limit, " Too many VALUT statements", ErrorEffect::flag_without_hint);
  if (k == 0) return false;
  v.valut_savevalue[ix(k)] = name;
  return true;
}

void open_input_data_file(Engine& e) {
  const std::string name = model_file_name(e, "DEC");
  if (!io::Channels::exists(name)) return;
  e.flow.input.input_file_open = e.ch.open_read(e.ctl.unit_base + io::offset::input_data, name);
}

namespace {
// One line of the INPUT data file (its first 50 columns) as a number:
// from the first digit, '.' or '-' that stands in column 1 or after a
// blank or tab; the whole part up to a '.' or blank within 11 columns (a
// '-' counts as 0), then up to 6 decimals. 0.0 when the line has none.
real4 input_line_value(std::string_view text) {
  char line[51];
  for (int c = 1; c <= 50; ++c) line[c] = c <= static_cast<int>(text.size()) ? text[static_cast<std::size_t>(c - 1)] : ' ';
  auto starts_number = [&](int c) { return is_digit_char(line[c]) || line[c] == '.' || line[c] == '-'; };
  int k = 0;
  for (int c = 1; c <= 50 && k == 0; ++c) {
    if (starts_number(c) && (c == 1 || line[c - 1] == ' ' || line[c - 1] == '\t')) k = c;
  }
  if (k == 0) return 0.0f;
  real4 whole = 0.0f;
  int c = k;
  const int last = std::min(k + 10, 50);
  for (; c <= last; ++c) {
    if (line[c] == '-') whole = whole * 10.0f;
    else if (is_digit_char(line[c])) whole = whole * 10.0f + static_cast<real4>(line[c] - '0');
    else break;
  }
  real4 fraction = 0.0f;
  if (c <= 50 && line[c] == '.') {
    real4 scale = 1.0f;
    for (int d = c + 1; d <= std::min(c + 6, 50) && is_digit_char(line[d]); ++d) {
      scale *= 10.0f;
      fraction += static_cast<real4>(line[d] - '0') / scale;
    }
  }
  const real4 v = whole + fraction;
  return line[k] == '-' ? -v : v;
}
}  // namespace

void read_input_file(Engine& e) {
  auto& in = e.flow.input;
  if (in.input_file_read) return;
  if (e.ctl.auto_animation_flag) {
    write_error_message(e, " INPUT not allowed at automatic animation");
    stop_program(e);
  }
  const int unit = e.ctl.unit_base + io::offset::input_data;
  if (!in.input_file_open) open_input_data_file(e);
  if (!in.input_file_open) {
    e.ch.write(open_error_unit(e), io::Rec().lit(" Missing file: ").lit(model_file_name(e, "DEC")));
    flag_error_without_hint(e, "");
    return;
  }
  std::string text;
  if (e.ctl.experi_present && e.ch.read_line(unit, text) != io::ReadStatus::ok) text.clear();
  for (int n = 1; n <= k_input_entries; ++n) {
    if (e.ch.read_line(unit, text) != io::ReadStatus::ok) {
      e.ch.close(unit);
      in.input_file_open = false;
      if (!in.alt_file_flag) in.input_file_read = true;
      return;
    }
    in.input_value[ix(n)] = input_line_value(text);
  }
  e.ch.close(unit);
  in.input_file_open = false;
  flag_error_without_hint(e, " File is too short");
}

real4 check_input_block(Engine& e, int c) {
  if (c < 1) {
    write_error_message(e, " Lacking or illegal C operand of block or");
    write_error_message(e, " INPUT statement not properly placed");
    stop_program(e);
  }
  if (c > k_input_entries) {
    write_error_message(e, " Value of C operand too large");
    stop_program(e);
  }
  return e.flow.input.input_value[ix(c)];
}

bool read_frame_texts(Engine& e, int col) {
  Line80& l = e.cs.stmt.stmt_line;
  int close = 0;
  for (int c = col + 1; c <= k_stmt_end_col && close == 0; ++c) {
    if (l.at(c) == '\'') close = c;
  }
  if (close == 0) {
    flag_error_without_hint(e, " Right apostrophe missing");
    return false;
  }
  const int len = close - col - 1;
  if (len > k_frame_text_len) {
    flag_error_without_hint(e, " Frame text > 30 characters");
    return false;
  }
  auto& fr = e.flow.frame;
  if (!e.ctl.java_mode) {
    const int unit = e.ctl.unit_base + io::offset::frame_texts;
    if (!fr.frm_open) fr.frm_open = e.ch.open_new(unit, model_file_name(e, "FRM"));
    // One record of 30 characters: the text, blank padded.
    std::string record(l.cols(col + 1, close - 1));
    record.resize(k_frame_text_len, ' ');
    e.ch.write(unit, record);
  }
  fr.frame_count += 1;
  fr.frame_longest = std::max(fr.frame_longest, len);
  for (int c = col; c <= close; ++c) l.set(c, ' ');
  return true;
}

}  // namespace kelvo
