// Special statements: calls of the numbered built-in programs.
// Takes a statement whose operation is HELP (written so, or rewritten
// from TRACE, INPUT, EXPERI, LET X$name=INPUT ...): its operand A names
// the program, the operands after it become the statement's operand rows
// (kind and value each). Before the first GENERATE the programs that may
// stand there run at once and their results become initial values of
// savevalues. After END the names in the rows become entity numbers.
#include "translator/special_statements.h"
#include "translator/matrix_graph_statements.h"
#include "translator/table_definitions.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/atf_writer.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/let_statements.h"
#include "translator/operand_checks.h"
#include "translator/other_blocks.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

constexpr std::string_view k_program_list_file = "hvxyq";

// Names that call a program under another name.
struct ProgramAlias {
  std::string_view name;
  int number;
};
constexpr std::array<ProgramAlias, 7> k_program_aliases = {{
    {"EXPERI", prog::valin},
    {"GRAPHC", prog::alias_offset + prog::gprin},
    {"GRAPHD", prog::alias_offset + prog::gprind},
    {"GRAPHS", prog::graphs},
    {"MATOUT", prog::matut},
    {"MATRIX", prog::matin},
    {"SNATOX", prog::snaqs},
}};

// The program number of a name among the built-in and the user programs
// read so far; 0 when it is none of them.
int search_program_table(const Engine& e, const Text6& name) {
  for (int n = 1; n <= prog::builtin_count; ++n) {
    if (name == k_program_names[ix(n)]) return n;
  }
  const auto& pl = e.prog_list;
  for (int i = 1; i <= pl.user_count && i <= k_user_program_limit; ++i) {
    if (name == pl.user_name[ix(i)]) return prog::builtin_count + i;
  }
  return 0;
}

bool is_animation_program(int p) { return p >= prog::create && p <= prog::setbar; }

// The programs that may stand before the first GENERATE.
bool runs_as_control_statement(int p) {
  return (p >= prog::input && p <= prog::valin) || (p >= prog::rmuin && p <= prog::letsa) ||
         (p >= prog::matut && p <= prog::decima);
}

std::int64_t magnitude(int4 v) { return std::llabs(static_cast<std::int64_t>(v)); }

int4& row_kind(Engine& e, int k, int i) { return e.ent.spec.spec_opnd_kind[ix(k)][ix(i)]; }
int4& row_value(Engine& e, int k, int i) { return e.ent.spec.spec_opnd_value[ix(k)][ix(i)]; }

// SNAQS on F$name where the name is a storage's.
bool facility_names_storage(Engine& e) {
  const std::string b = operand_string(e, 2);
  if (b.empty() || upcased(b[0]) != 'F' || e.cs.stmt.operand_text[2] != 'S') return false;
  const auto& st = e.ent.st;
  // A numbered storage is named by the key of its number.
  int4 name = e.cs.stmt.operand_value[2];
  if (int4 n = 0; name_number(e, name, n)) name = numeric_name_key(n);
  const int s = find_name(st.station_name, st.numbered_station_count, name);
  return s != 0 && st.station_capacity[ix(s)] > 0;
}

// A character other than a blank, a comma or a comment right after the
// program name, with no operand B: the comma is missing (not for PAUSE,
// TRACE and TROFF, nor for a matrix program followed by a quote).
bool comma_missing(Engine& e, const Text6& word) {
  const char next = e.cs.stmt.stmt_line.at(operand_start(e, 1) + operand_length(e, 1));
  if (next == ' ' || next == ',' || next == '!') return false;
  const std::string_view w = word.view();
  if (w.substr(0, 2) == "PA" || w.substr(0, 2) == "TR") return false;
  return !(w.substr(0, 2) == "MA" && next == '\'');
}

// Operand r (B..H) of the statement as row r - 1 of special statement k,
// calling program p. False after the error; rows_end when the rows after
// it are to stay empty.
bool store_operand_row(Engine& e, int k, int p, int r, bool control_use, bool& rows_end) {
  const auto& stmt = e.cs.stmt;
  const int i = r - 1;
  int4& kind = row_kind(e, k, i);
  int4& value = row_value(e, k, i);
  kind = k_row_end;
  value = 0;
  if (operand_length(e, r) == 0) return true;
  const char mark = stmt.operand_text[ix(r)];
  const int4 code = stmt.operand_value[ix(r)];
  if (mark == k_mark_decimal) {
    kind = opnd::decimal;
    value = code;
    return true;
  }
  const int cls = operand_char_class(mark);
  if (cls >= opnd::clock && cls <= opnd::waiting) {
    // A name code, linked after END; C1 and CL are the numbers 1 and 2.
    kind = cls;
    value = code;
    if (cls == opnd::clock) name_number(e, code, value);
    if (p == prog::matut && control_use && cls == opnd::savevalue && (i == 1 || i == 2)) {
      // Row and column read now: the savevalue's initial value, rounded.
      if (!check_matut_statement(e, r, value)) return false;
      kind = opnd::constant;
    }
    return true;
  }
  // A number (also a parameter, a stream or an indirect reference by
  // its number), or a plain word some programs take.
  kind = cls;
  if (name_number(e, code, value)) return true;
  kind = opnd::constant;
  if (is_animation_program(p) || p == prog::valut || (p == prog::matre && i == 3)) {
    value = code;  // a name the program reads as such
    return true;
  }
  if (p == prog::trace || p == prog::valin) {
    value = 0;
    return true;
  }
  if (p == prog::troff && i == 1 && upcased(operand_string(e, r)[0]) == 'A' && operand_length(e, r) == 1) {
    value = 1;  // TROFF,A leaves the trace alone
    rows_end = true;
    return true;
  }
  if (p == prog::snaqs && mark == 'T') {
    kind = k_row_table;
    value = find_name(e.ent.tab.table_name, e.ent.tab.table_count, code);
    if (value != 0) return true;
  }
  flag_statement_error(e, " Incorrect operand in block");
  return false;
}

// The flags a program's use sets for the rest of the translation and the run.
void note_program_use(Engine& e, int p, bool control_use) {
  switch (p) {
    case prog::marse: e.rn.second_generator = true; break;
    case prog::matut: e.mat.menu_file_wanted = true; break;
    case prog::trace:
      e.ent.par.trace_number_wanted_a = true;
      if (control_use) e.ent.par.trace_number_wanted_b = true;
      // Under the front end the trace lines have their own file; a TRACE
      // block lifts their limit.
      open_table_work_file(e, !control_use);
      break;
    case prog::valin:
      if (e.cs.stmt.operand_text[2] == 'X') e.ent.experi.invalue_name = e.cs.stmt.operand_value[2];
      // VALIN gives the input of an experiment: a plain run cannot have it.
      if (!e.ctl.experi_run) e.run.valin_outside_experi = true;
      break;
    default: break;
  }
}

// The arguments of a program run during translation: constants, decimal
// constants and the initial values of named savevalues; other operands
// have no value before the run and give 0.
ProgramArgs compile_time_arguments(Engine& e, int k) {
  ProgramArgs args;
  for (int i = 1; i <= k_spec_rows; ++i) {
    const int4 kind = row_kind(e, k, i);
    const int4 value = row_value(e, k, i);
    if (kind == k_row_end) break;
    if (kind == opnd::constant) {
      if (magnitude(value) >= k_name_magnitude) args.set_name(i, value);
      else args.set_value(i, static_cast<real4>(value));
    } else if (kind == opnd::decimal && value >= 1 && value <= k_decimal_limit) {
      args.set_value(i, e.ent.dec.decimal_value[ix(value)]);
    } else if (kind == opnd::savevalue) {
      const int s = find_name(e.ent.sv.savevalue_name, e.ent.sv.savevalue_count, value);
      if (s != 0) args.set_value(i, static_cast<real4>(e.ent.sv.savevalue_init[ix(s)]));
    }
  }
  return args;
}

// Under the front end a console answer is kept as line d of the model's
// DEC file (the lines before it stay, missing ones are 0), where the
// DECIS program reads it; the file is read anew for it.
void keep_decision(Engine& e, int d, real8 v) {
  const std::string name = model_file_name(e, "DEC");
  const int unit = e.ctl.unit_base + io::offset::input_data;
  auto& in = e.flow.input;
  e.ch.close(unit);
  in.input_file_open = false;
  in.input_file_read = false;
  std::vector<std::string> lines;
  if (io::Channels::exists(name) && e.ch.open_read(unit, name)) {
    std::string text;
    while (static_cast<int>(lines.size()) < d - 1 && e.ch.read_line(unit, text) == io::ReadStatus::ok) lines.push_back(text);
    e.ch.close(unit);
  }
  while (static_cast<int>(lines.size()) < d - 1) lines.emplace_back("0");
  lines.push_back(io::Rec().f(v, 15, 6).str());
  if (!e.ch.open_new(unit, name)) return;
  for (const std::string& line : lines) e.ch.write(unit, line);
  e.ch.close(unit);
}

// Special statement k, calling program p, used as a control statement:
// the program runs now and its results become the initial values of the
// savevalues its rows name.
void run_control_program(Engine& e, int k, int p) {
  if (!runs_as_control_statement(p)) {
    flag_statement_error(e, " This block cannot be used as control statement");
    return;
  }
  if (p == prog::letsa && row_kind(e, k, 1) != opnd::savevalue) {
    flag_statement_error(e, " Incorrect operand in block");
    return;
  }
  // The savevalues that take a result are new named savevalues.
  int4 first_savevalue = 0;
  for (int i = 1; i <= k_spec_rows && p < prog::matre; ++i) {
    if (row_kind(e, k, i) != opnd::savevalue) continue;
    int4 n = 0;
    if (!initialize_named_savevalue(e, row_value(e, k, i), n)) return;
    if (first_savevalue == 0) first_savevalue = n;
  }
  ProgramArgs args = compile_time_arguments(e, k);
  int n = p;
  if ((p == prog::input || p == prog::letsa) && e.ctl.java_mode) {
    // The front end answers on the console once; the answer is kept in
    // the DEC file, which DECIS reads.
    auto& sp = e.ent.spec;
    sp.decision_count += 1;
    if (p == prog::letsa) ask_savevalue_value(e, first_savevalue);
    else e.ch.write(io::k_console_out, trim_right(e.ctl.current_statement.view()));
    keep_decision(e, sp.decision_count, read_input_number(e));
    n = prog::decis;
    args.set_value(3, static_cast<real4>(sp.decision_count));
  } else if (p == prog::letsa) {
    args.set_value(2, static_cast<real4>(first_savevalue));
  }
  if (e.hooks.call_builtin_program == nullptr) return;
  const ProgramArgs given = args;
  e.hooks.call_builtin_program(e, n, args, k);
  if (e.ctl.error_reported) return;
  find_operand_row(e, k, args, false, &given);
}

}  // namespace

Text6 check_program_call(Engine& e, int4 code) {
  auto& sp = e.ent.spec;
  const int n = std::min(sp.name_cache_count, k_spec_limit);
  for (int i = 1; i <= n; ++i) {
    if (sp.name_cache_code[ix(i)] == code) return sp.name_cache_text[ix(i)];
  }
  const Text6 text = unpack_name_chars(e, code);
  if (n < k_spec_limit) {
    sp.name_cache_count = n + 1;
    sp.name_cache_code[ix(n + 1)] = code;
    sp.name_cache_text[ix(n + 1)] = text;
  }
  return text;
}

bool read_program_list(Engine& e) {
  auto& pl = e.prog_list;
  if (pl.file_read) return true;
  pl.file_read = true;
  const int unit = e.ctl.unit_base + io::offset::mainfile;
  if (!io::Channels::exists(k_program_list_file) || !e.ch.open_read(unit, k_program_list_file)) return true;
  std::string line;
  long long count = 0;
  if (e.ch.read_line(unit, line) != io::ReadStatus::ok || !io::read_i(line, 2, count)) count = 0;
  const long long taken = std::min<long long>(count, k_user_program_limit);
  for (long long i = 1; i <= taken && e.ch.read_line(unit, line) == io::ReadStatus::ok; ++i) {
    Text6 name(line);
    upcase_field6(name);
    pl.user_count += 1;
    pl.user_name[ix(pl.user_count)] = name;
  }
  e.ch.close(unit);
  if (count > k_user_program_limit) {
    flag_statement_error(e, io::Rec().lit(" More than").i(k_user_program_limit, 3).lit(" programs in program list file ").lit(k_program_list_file).str());
    return false;
  }
  return true;
}

bool resolve_program_name(Engine& e, const Text6& name, int& n) {
  auto& sp = e.ent.spec;
  n = search_program_table(e, name);
  if (n == prog::input) {
    // INPUT X$name asks the savevalue's value as LETSA does; the INPUT
    // program itself only once it was asked for.
    if (sp.input_program_flag) sp.input_program_flag = false;
    else n = prog::letsa;
  }
  if (n != 0) return true;
  for (const ProgramAlias& alias : k_program_aliases) {
    if (!(name == alias.name)) continue;
    if (alias.name == "SNATOX" && e.rep.optimization_flag && upcased(operand_string(e, 2).c_str()[0]) == 'X') {
      flag_statement_error(e, " LET SNA with X and optimization illegal");
      return false;
    }
    n = alias.number;
    return true;
  }
  if (!e.prog_list.file_read) {
    if (!read_program_list(e)) return false;
    n = search_program_table(e, name);
    if (n != 0) return true;
  }
  flag_statement_error(e, " No FORTRAN program with A operand name");
  return false;
}

bool experi_beyond_scan(Engine& e) {
  // Beyond the lines the run cycle looks at, an EXPERI statement is not
  // one: the model runs as a plain model.
  return !e.ctl.experi_present && e.cs.pass.line_count > k_experi_scan_lines &&
         check_program_call(e, e.cs.stmt.operand_value[1]) == "EXPERI";
}

void check_control_statement(Engine& e, bool control_use) {
  auto& sp = e.ent.spec;
  const auto& stmt = e.cs.stmt;
  // The A operand names the program: before the first GENERATE nothing
  // else has asked for it.
  if (!check_operand_required(e)) return;
  const int k = take_slot(e, sp.spec_count, k_spec_limit, " Too many GRAPH, TRACE, MATRIX and LET SNA blocks",
                          ErrorEffect::report);
  if (k == 0) return;
  if (!control_use) e.blocks.block_arg[ix(e.blocks.block_count)] = to_int2(k);
  if (reject_sna_type(e, 1)) return;
  const Text6 word = check_program_call(e, stmt.operand_value[1]);
  int p = 0;
  if (!resolve_program_name(e, word, p)) return;
  if (p > prog::alias_offset) p -= prog::alias_offset;
  if (p == prog::snaqs && facility_names_storage(e)) {
    flag_statement_error(e, " LET SNA refers to facility, but storage name");
    return;
  }
  if (!control_use && (p == prog::letsa || p == prog::matut)) {
    // The savevalue that takes the result is numbered in statement order.
    const int r = p == prog::letsa ? 2 : 4;
    int4 n = 0;
    if (stmt.operand_text[ix(r)] == 'X' && !add_named_savevalue(e, r, true, n)) return;
  }
  if (p == prog::valin && word == "EXPERI") {
    if (experi_beyond_scan(e)) {
      --sp.spec_count;
      return;
    }
    if (!e.ctl.experi_present) {
      report_statement_error(e, " Restart KELVO to run program with EXPERI");
      stop_program(e);
    }
    if (k != 1) {
      flag_statement_error(e, " EXPERI must be the first statement");
      return;
    }
  }
  if (control_use && p == prog::matut) {
    // Row and column are read now: they must lie within the matrix.
    int4 row = 0, column = 0;
    if (!check_matut_operands(e, row, column)) return;
  }
  sp.spec_program[ix(k)] = p;
  note_program_use(e, p, control_use);
  // An animation statement is a block; as a control statement it is refused below.
  if (is_animation_program(p) && !control_use) record_anim_name(e, k, p);
  bool rows_end = false;
  for (int r = 2; r <= k_spec_rows + 1; ++r) {
    if (rows_end) {
      row_kind(e, k, r - 1) = k_row_end;
      continue;
    }
    if (r == 2 && operand_length(e, 2) == 0 && comma_missing(e, word)) {
      flag_statement_error(e, " Comma missing in statement above");
      return;
    }
    if (!store_operand_row(e, k, p, r, control_use, rows_end)) return;
  }
  if (p == prog::decima && operand_length(e, 3) > 0) {
    row_kind(e, k, 1) = opnd::constant;
    row_value(e, k, 1) = 2;
  }
  if (control_use) {
    run_control_program(e, k, p);
  } else if (p == prog::valut) {
    add_valut_statement(e, stmt.operand_text[2] == 'X' ? stmt.operand_value[2] : 0);
    // An E operand (the fourth after the name) asks for the comparisons of
    // the results; their figures go to "valut.fil" when it can be made.
    if (operand_length(e, 5) > 0 && !e.xp.comparisons_wanted) {
      e.xp.comparisons_wanted = true;
      e.xp.valut_file_open = e.ch.open_new(e.ctl.unit_base + 10, "valut.fil");
    }
  } else if (p == prog::decis) {
    flag_statement_error(e, " The block HELP DECIS is illegal");
  } else if (p == prog::fprin || p == prog::gprin || p == prog::gprind || p == prog::graphs) {
    parse_graph(e, k, p);
  }
}

void check_simulate_call(Engine& e, int k) {
  auto& sp = e.ent.spec;
  if (k < 1 || k > k_spec_limit || sp.spec_program[ix(k)] != prog::valin) return;
  if (e.cs.pass.run_count > 1) {
    flag_statement_error(e, " SIMULATE with A>1 not allowed when EXPERI");
    return;
  }
  sp.valin_statement = k;
}

int scan_quoted_text(Engine& e, int open) {
  auto& f = e.cs.stmt.stmt_fields;
  const Line80& l = e.cs.stmt.stmt_line;
  const int start = f.opnd_start[4];
  int last = k_stmt_end_col;
  for (int c = open + 1; c <= k_stmt_end_col; ++c) {
    if (l.at(c) == '\'') {
      last = c;
      break;
    }
  }
  if (l.at(last) != '\'' || last == open) write_error_message(e, " Right apostrophe missing i D operand");
  f.opnd_len[4] = to_int2(last - start + 1);
  return last;
}

void link_special_operands(Engine& e, int n) {
  const int last = std::min(n, k_spec_limit);
  for (int k = 1; k <= last; ++k) {
    for (int i = 1; i <= k_spec_rows; ++i) {
      const int4 kind = row_kind(e, k, i);
      int4& value = row_value(e, k, i);
      // Rows of other kinds hold numbers; a savevalue number below 100 is
      // numbered already.
      if (kind < opnd::queue || kind > opnd::waiting || value == 0) continue;
      if (kind != opnd::savevalue) {
        link_entity_word(e, kind, value);
        continue;
      }
      if (magnitude(value) < 100) continue;
      int mode = k_mode_maybe_savevalue;
      int number = value;
      find_entity_number(e, k_class_savevalue, value, mode, number);
      if (mode == k_mode_not_savevalue && !append_named_savevalue(e, value, number)) return;
      value = number;
    }
  }
}

void find_operand_row(Engine& e, int k, const ProgramArgs& args, bool run_time, const ProgramArgs* given) {
  if (k < 1 || k > k_spec_limit) return;
  auto& sv = e.ent.sv;
  for (int i = 1; i <= k_spec_rows; ++i) {
    if (row_kind(e, k, i) != opnd::savevalue) continue;
    // A savevalue the program only read keeps its value in full.
    if (given != nullptr && given->word[ix(i)] == args.word[ix(i)]) continue;
    const real8 v = args.value(i);
    const int4 s = row_value(e, k, i);
    if (run_time) {
      if (s >= 1 && s <= k_savevalue_limit) sv.savevalue_value.set(ix(s), v, e.changes);
      continue;
    }
    if (i > 1 && e.ctl.experi_present) break;
    int named = find_name(sv.savevalue_name, sv.savevalue_count, s);
    // The invalue savevalue of an EXPERI statement is named by it.
    if (named == 0 && e.ctl.experi_present && !append_named_savevalue(e, s, named)) return;
    if (named == 0) continue;
    sv.savevalue_init[ix(named)] = v;
    sv.savevalue_value.set(ix(named), v, e.changes);
  }
}

void ask_savevalue_value(Engine& e, int4 number) {
  const auto& sv = e.ent.sv;
  if (number < 1 || number > std::min(sv.savevalue_count, k_named_savevalue_limit)) return;
  e.ch.write(io::k_console_out, io::Rec().lit(" Give value of x$").lit(unpack_name_chars(e, sv.savevalue_name[ix(number)]).view()));
}

void list_as_written(Engine& e, const Line80& written, std::string_view label, std::string_view word,
                     int operand_col) {
  Line80 out;
  for (std::size_t i = 0; i < label.size() && i < static_cast<std::size_t>(k_label_cols); ++i) out.set(1 + static_cast<int>(i), label[i]);
  for (std::size_t i = 0; i < word.size(); ++i) out.set(8 + static_cast<int>(i), word[i]);
  while (operand_col >= 1 && operand_col <= k_stmt_end_col && written.at(operand_col) == ' ') ++operand_col;
  for (int c = operand_col; c >= 1 && c <= k_stmt_end_col; ++c) out.set(18 + c - operand_col, written.at(c));
  e.cs.syn.listing_text = out;
  e.cs.syn.listing_text_set = true;
}

}  // namespace kelvo
