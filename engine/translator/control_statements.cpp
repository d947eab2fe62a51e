// Control statements: decides whether a statement is a control statement
// (SIMULATE, START, RESET, END, CAPACITY, SEEDS, a LET before the first
// GENERATE ...) or a block, and records what the control statements ask
// for: run steps, termination counts, SEEDS rows, storage capacities and
// the initial values of named savevalues.
#include <algorithm>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"

#include "support/packed_names.h"

#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/function_definition.h"
#include "translator/other_blocks.h"
#include "translator/special_statements.h"
#include "translator/table_definitions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// Adds one run step; false (and a flagged error) beyond the step capacity.
bool add_run_step(Engine& e, int4 kind) {
  auto& run = e.ent.steps;
  const int s = take_slot(e, run.run_step_count, k_run_step_limit, " Too many START statements", ErrorEffect::flag);
  if (s == 0) return false;
  run.run_steps[s] = kind;
  return true;
}

// A later START, an ENDRUN or a RESET where it does not belong. True when
// the statement is dropped.
bool misplaced_start_check(Engine& e, int4 run_count) {
  if (run_count > 1) {
    const int unit = open_error_unit(e);
    e.ch.write(unit, io::Rec().lit(Text50(" Misplaced START statement inside program or").view()).br().lit(Text50(" erroneous extra START statement or").view()));
    report_statement_error(e, " SIMULATE A operand stops RESET");
    stop_program(e);
  }
  if (e.cs.pass.start_count == 0) {
    report_statement_error(e, " RESET before START");
    return true;
  }
  return false;
}

void list_control_statement(Engine& e) {
  auto& s = e.ctl;
  auto& pass = e.cs.pass;
  if (!s.translate_needed || !pass.listing_on || !e.cs.syn.list_statement || s.error_reported) return;
  const Line80& text = e.cs.syn.listing_text_set ? e.cs.syn.listing_text : e.cs.stmt.stmt_line;
  e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(text.cols(1, 68)).i(pass.line_count, 3));
}

// A special statement before the first GENERATE is listed before its
// program runs (which may ask on the console), after the '!' line just
// above it.
void list_special_statement(Engine& e) {
  auto& pass = e.cs.pass;
  if (e.ctl.translate_needed && pass.listing_on && !e.ctl.error_reported && pass.last_bang_line_no > 0 &&
      pass.last_bang_line_no == pass.line_count - 1) {
    e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(pass.last_bang_line.cols(1, 68)).i(pass.last_bang_line_no, 3));
  }
  list_control_statement(e);
  e.cs.syn.list_statement = false;
}

void compile_start(Engine& e) {
  auto& pass = e.cs.pass;
  auto& run = e.ent.steps;
  const int n = take_slot(e, pass.start_count, k_start_limit, " Too many START statements", ErrorEffect::report);
  if (n == 0) return;
  if (pass.seeds_count == 0) pass.seeds_count = 1;
  set_start_report_switch(e, n);
  int4 value = 0;
  if (operand_length(e, 1) > 0 && !parse_int_a_operand(e, value)) {
    if (!e.ctl.error_reported) flag_statement_error(e, " Illegal A operand");
    return;
  }
  run.termination_count[n] = value;
  // A START whose count is the EXPERI invalue takes it in every run.
  if (e.cs.stmt.operand_text[1] == 'X' && e.ent.experi.invalue_name != 0 &&
      e.cs.stmt.operand_value[1] == e.ent.experi.invalue_name) {
    run.start_name_flag = true;
    if (run.start_name_number == 0) run.start_name_number = n;
  }
  if (n == 1) {
    add_run_step(e, step::first_start);
    // Each run of a SIMULATE series gets a seed row of its own.
    if (pass.run_count > 1) init_run_tables(e, pass.run_count);
    return;
  }
  if (!add_run_step(e, step::next_start)) return;
  const int s = run.run_step_count;
  if (pass.run_count >= 2 && n == 2 && run.run_steps[s - 1] == step::reset) {
    // START, RESET, START: every run of the series warms up the same way.
    run.two_phase_runs = true;
    init_run_tables(e, pass.run_count);
  } else {
    misplaced_start_check(e, pass.run_count);
  }
}

// The model reads an experiment's invalue (VALIN, also through EXPERI).
bool has_experiment_call(const Engine& e) {
  const auto& sp = e.ent.spec;
  for (int k = 1; k <= std::min(static_cast<int>(sp.spec_count), k_spec_limit); ++k)
    if (sp.spec_program[ix(k)] == prog::valin) return true;
  return false;
}

void compile_reset(Engine& e) {
  auto& pass = e.cs.pass;
  auto& run = e.ent.steps;
  const bool experiment = has_experiment_call(e);
  const bool earlier_reset = pass.plain_reset_flag || pass.reset_with_a_flag;
  int4 m = 1;
  if (operand_length(e, 1) > 0 && !read_numeric_operand(e, 1, m)) m = 1;
  if (m <= 1) {
    if (pass.reset_with_a_flag) {
      flag_statement_error(e, " Earlier RESET A > 1 rules out plain RESET");
      return;
    }
    pass.plain_reset_flag = true;
    if (!add_run_step(e, step::reset)) return;
  } else {
    if (pass.plain_reset_flag) {
      flag_statement_error(e, " RESET with A > 1 illegal due to many RESETs");
      return;
    }
    if (pass.start_count != 1) {
      flag_statement_error(e, " RESET with A > 1 preceeded by > 1 START");
      return;
    }
    if (!add_run_step(e, step::reset)) return;
    for (int i = 1; i < m; ++i) {
      const int n = take_slot(e, pass.start_count, k_start_limit, " Too many START statements", ErrorEffect::flag);
      if (n == 0 || !add_run_step(e, step::next_start)) return;
      run.start_report_off[n] = run.start_report_off[1];
      run.termination_count[n] = run.termination_count[1];
      if (!add_run_step(e, step::reset)) return;
    }
    if (pass.run_count > 1) {
      flag_statement_error(e, " SIMULATE A > 1 and RESET A >1 incompatible");
      return;
    }
    if (experiment) {
      flag_statement_error(e, " RESET A>1 and EXPERI incompatible");
      return;
    }
  }
  if (experiment) {
    // Each run of an experiment is START, RESET, START: one RESET, after
    // the first START.
    run.two_phase_runs = true;
    if (pass.start_count > 1 || earlier_reset) {
      flag_statement_error(e, " > 1 RESETs illegal when EXPERI");
      return;
    }
  }
  if (pass.run_count < 2 || pass.start_count != 1) {
    if (misplaced_start_check(e, pass.run_count)) {
      // The RESET is dropped: its run step goes with it.
      --run.run_step_count;
      run.run_steps[run.run_step_count + 1] = step::end;
    }
  }
}

// SIMULATE n: the run steps that the first START (and, for START, RESET,
// START, the second) laid out for the whole series are walked.
void end_run_series(Engine& e) {
  auto& pass = e.cs.pass;
  auto& run = e.ent.steps;
  if (pass.run_count < 2) return;
  const bool one_start = pass.start_count == 1 && run.run_step_count == 1;
  const bool warm_up = run.two_phase_runs && pass.start_count == 2 && run.run_step_count == 3;
  if (!one_start && !warm_up) return;
  if (pass.run_count > k_max_runs) {
    flag_statement_error(e, " Too many START statements");
    return;
  }
  run.run_step_count = (warm_up ? 4 : 2) * pass.run_count - 1;
}

void compile_simulate(Engine& e) {
  auto& pass = e.cs.pass;
  pass.simulate_seen = true;
  ++e.ent.steps.simulate_count;
  if (operand_length(e, 1) > 0) {
    int4 v = 0;
    if (!parse_int_a_operand(e, v)) {
      if (!e.ctl.error_reported) flag_statement_error(e, " Illegal A operand");
      return;
    }
    pass.run_count = v;
  }
  if (pass.check_flag) report_statement_error(e, "Only 1 SIMULATE allowed");
  e.ent.steps.simulate_b_flag = operand_length(e, 2) > 0;
}
}  // namespace

void set_start_report_switch(Engine& e, int n) {
  if (n < 1 || n >= static_cast<int>(e.ent.steps.start_report_off.size())) return;
  const std::string b = operand_string(e, 2);
  bool off = false;
  if (!b.empty()) off = upcased(b[0]) == 'N';
  else off = e.rep.optimization_flag;
  if (e.ctl.auto_animation_flag) off = true;
  e.ent.steps.start_report_off[n] = off;
}

void check_seeds_statement(Engine& e) {
  auto& pass = e.cs.pass;
  const int r = take_slot(e, pass.seeds_count, k_max_runs + 1, " Too many SEEDS statements", ErrorEffect::report);
  if (r == 0) return;
  if (pass.start_count <= k_max_runs + 1) e.ent.steps.seeds_row_of_start[pass.start_count] = r;
  for (int i = 1; i <= 8; ++i) {
    int4 v = i;  // (standard seed 2i+1 - 1) / 2
    if (operand_length(e, i) > 0 && !read_numeric_operand(e, i, v)) {
      flag_statement_error(e, " Illegal A operand");
      return;
    }
    set_seed(e.ent.steps, v, r, i);
  }
}

namespace {
// The value of a text of digits only (at most 9): false for anything else.
bool whole_number(std::string_view text, int4& value) {
  if (text.empty() || text.size() > 9) return false;
  int4 v = 0;
  for (char c : text) {
    if (!is_digit_char(c)) return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}
}  // namespace

void check_capacity_statement(Engine& e) {
  auto& st = e.ent.st;
  auto& stmt = e.cs.stmt;
  if (e.cs.pass.check_flag) {
    report_statement_error(e, " CAPACITY put after first GENERATE");
    return;
  }
  if (stmt.stmt_fields.first_word_len == 0) {
    flag_error_without_hint(e, " Incorrect CAPACITY definition");
    return;
  }
  const int4 label = stmt.stmt_label;
  int4 n = 0;
  const bool numbered = name_number(e, label, n);
  const int4 key = numbered ? numeric_name_key(n) : label;
  for (int s = 1; s <= st.numbered_station_count; ++s) {
    if (st.station_name[s] == key && st.station_capacity[s] != 0) {
      report_statement_error(e, " Storage already defined");
      return;
    }
  }
  // The station being defined: a numbered storage's own number; a named
  // one takes the next station after every storage defined so far.
  int station = n;
  if (!numbered) {
    station = st.numbered_station_count + 1;
    if (st.storage_count > 0 && station <= st.storage_count) station = st.storage_count + 1;
  }
  // The capacity.
  int4 capacity = 0;
  if (operand_length(e, 1) == 0) {
    capacity = k_capacity_unit * e.cs.syn.default_capacity_word;
  } else if (stmt.operand_text[1] == ' ' && name_number(e, stmt.operand_value[1], capacity)) {
  } else if (stmt.operand_text[1] == k_mark_decimal && whole_number(operand_string(e, 1), capacity)) {
    // A capacity of 6 to 8 digits (read as a decimal constant by the lexer).
  } else if (stmt.operand_text[1] == 'X') {
    // The highest station so far is the one being defined: an EXPERI
    // invalue here records it as the storage whose capacity it gives.
    // (A station beyond the table stops the engine below.)
    if (station <= k_station_limit) st.numbered_station_count = std::max(st.numbered_station_count, station);
    if (!patch_experi_constant(e, stmt.operand_value[1], x_use::capacity, capacity)) {
      if (!e.ctl.error_reported) flag_statement_error(e, " Illegal A operand");
      return;
    }
  } else {
    flag_statement_error(e, " Illegal A operand");
    return;
  }
  if (numbered) {
    define_storages(e, n, capacity);
    if (e.ctl.error_reported) return;
  } else {
    st.named_definition_seen = true;
    if (station > k_station_limit) {
      report_statement_error(e, " Too many facilities and storages");
      stop_program(e);
    }
    st.numbered_station_count = station;
    st.station_identity[station] = label;
    if (station > st.station_name_count) st.station_name_count = station;
  }
  st.station_name[station] = key;
  st.station_capacity[station] = capacity;
}

// A control statement gives a named savevalue its initial value: the name
// must be new. False after the report or a full table; n is its number.
bool initialize_named_savevalue(Engine& e, int4 name, int4& n) {
  const auto& sv = e.ent.sv;
  if (find_name(sv.savevalue_name, sv.savevalue_count, name) != 0) {
    report_statement_error(e, " Savevalue already initialized");
    return false;
  }
  return append_named_savevalue(e, name, n);
}

namespace {
// Expression x can be computed while the model is translated: its items
// are constants, the clock and savevalues (by name) only.
bool computable_now(const Engine& e, int x) {
  const auto& kinds = e.expr.expr_item_kind[ix(x)];
  for (int i = 1; i <= k_expr_items; ++i) {
    const int4 k = kinds[ix(i)];
    if (k == k_expr_end) break;
    if (k != opnd::constant && k != opnd::clock && k != opnd::savevalue && k != opnd::decimal && k != opnd::temporary) {
      return false;
    }
  }
  return true;
}

// LET X$name=value before the first GENERATE, the value an expression (as
// the operand or a VALUEOF named V$): computed at once into named
// savevalue n.
void let_control_expression(Engine& e, int4 n) {
  const int x = find_name(e.expr.defn_name, e.expr.defn_count, e.cs.stmt.operand_value[2]);
  if (x == 0 || !computable_now(e, x) || e.hooks.evaluate_expression == nullptr) {
    flag_error_without_hint(e, " Error in B operand of LET control statement");
    return;
  }
  const real4 v = e.hooks.evaluate_expression(e, x);
  if (e.ctl.error_reported) return;
  e.ent.sv.savevalue_init[ix(n)] = v;
  e.ent.sv.savevalue_value.set(ix(n), v, e.changes);
}
}  // namespace

void parse_let_control(Engine& e, int4 name) {
  int4 n = 0;
  if (!initialize_named_savevalue(e, name, n)) return;
  auto& sv = e.ent.sv;
  std::string b = operand_string(e, 2);
  if (b.empty()) return;
  if (e.cs.stmt.operand_text[2] == 'V') {
    let_control_expression(e, n);
    return;
  }
  bool negative = false;
  if (b[0] == '-') {
    negative = true;
    b.erase(0, 1);
  }
  int kind = 0;
  int4 value = 0;
  // A plain operand: its kind decides below (an expression's terms are
  // held to savevalues by the expression compiler).
  parse_sna_operand(e, b, kind, value, false, false);
  if (e.ctl.error_reported) return;
  real8 v = 0.0;
  if (kind == opnd::constant) {
    v = value;
  } else if (kind == opnd::decimal) {
    v = e.ent.dec.decimal_value[value];
  } else if (kind == opnd::savevalue) {
    const int idx = find_name(sv.savevalue_name, sv.savevalue_count, value);
    if (idx == 0 || idx >= n) {
      flag_error_without_hint(e, " B operand of statement not legal constant");
      return;
    }
    v = sv.savevalue_init[idx];
  } else {
    flag_error_without_hint(e, " B operand of statement not legal constant");
    return;
  }
  sv.savevalue_init[n] = negative ? -v : v;
  sv.savevalue_value.set(ix(n), sv.savevalue_init[ix(n)], e.changes);
}

namespace {
// A block whose statement must have an operand.
void block_needs_operand(Engine& e, int c, bool has_operand) {
  e.cs.pass.is_block = true;
  if (!has_operand) flag_statement_error(e, c >= bc::let_priority ? " PRIORITY value missing" : " A operand missing");
}
}  // namespace

void compile_control_statement(Engine& e) {
  auto& pass = e.cs.pass;
  auto& stmt = e.cs.stmt;
  const int c = pass.block_code;
  pass.is_block = false;
  if (stmt.stmt_fields.op_len == 0) {
    list_control_statement(e);
    return;
  }
  const bool has_operand = stmt.stmt_fields.opnd_len[1] > 0;
  switch (c) {
    case bc::table:
    case bc::qtable: {
      // A TABLE tabulates an SNA, a QTABLE the time spent in a queue it names.
      const bool sna = operand_char_class(stmt.operand_text[1]) != opnd::constant;
      if (c == bc::table && !sna) {
        flag_error_without_hint(e, " A operand must be SNA");
      } else if (c == bc::qtable && stmt.operand_text[1] != ' ') {
        flag_error_without_hint(e, " A operand must not be SNA");
      } else {
        check_table_statement(e, c == bc::qtable);
        if (pass.check_flag) report_statement_error(e, " This must come prior to first GENERATE block");
      }
      break;
    }
    case bc::seeds:
      if (!e.ctl.java_mode) check_seeds_statement(e);
      break;
    case bc::let:
      if (pass.check_flag) {
        block_needs_operand(e, c, has_operand);
        break;
      }
      if (stmt.operand_text[1] != 'X') {
        flag_error_without_hint(e, " A operand must be savevalue");
        break;
      }
      parse_let_control(e, stmt.operand_value[1]);
      break;
    case bc::special:
      if (pass.check_flag) {
        block_needs_operand(e, c, has_operand);
        break;
      }
      list_special_statement(e);
      check_control_statement(e, true);
      if (!e.ctl.error_reported) check_simulate_call(e, e.ent.spec.spec_count);
      break;
    case bc::end:
      pass.end_seen = true;
      end_run_series(e);
      break;
    case bc::function: check_function_statement(e); break;
    case bc::valueof: break;  // its expression was compiled with its operands
    case bc::simulate: compile_simulate(e); break;
    case bc::start: compile_start(e); break;
    case bc::storage:
      check_capacity_statement(e);
      if (pass.check_flag) report_statement_error(e, " This must come prior to first GENERATE block");
      break;
    case bc::end_run:
      if (add_run_step(e, step::series_end) && misplaced_start_check(e, pass.run_count)) {
        --e.ent.steps.run_step_count;
      }
      break;
    case bc::reset: compile_reset(e); break;
    case bc::advance:
    case bc::generate:
    case bc::terminate:
    case bc::goto_form:
    case bc::print: pass.is_block = true; break;
    default:
      if (c == 0) break;
      block_needs_operand(e, c, has_operand);
      break;
  }
  if (!pass.is_block) list_control_statement(e);
}

void rewrite_let_input(Engine& e, int from, int eq) {
  if (e.ctl.experi_present) {
    write_error_message(e, " LET x$name=INPUT not allowed in program with EXPERI");
    stop_now(e);
  }
  if (e.ctl.java_mode) {
    write_error_message(e, " LET x$name=INPUT not allowed in Orvane GUI system");
    write_error_message(e, " Use KELVO.EXE in stand-alone mode for interactive input");
    stop_now(e);
  }
  // On the console the statement becomes the special statement LETSA:
  // "HELP LETSA,<savevalue>" after the label.
  auto& stmt = e.cs.stmt;
  auto& f = stmt.stmt_fields;
  auto& syn = e.cs.syn;
  Line80& l = stmt.stmt_line;
  const Line80 written = l;
  const int len = std::min(std::max(eq - from, 0), 8);
  const std::string operand(written.cols(from, from + len - 1));
  const int label_len = f.first_word_len;
  const std::string label = label_len > 0 ? std::string(written.cols(syn.label_col, syn.label_col + label_len - 1)) : "";
  // The label length is k_label_cols at most, so the operand ends by column 28.
  Line80 line;
  for (int i = 0; i < label_len; ++i) line.set(1 + i, label[i]);
  const std::string help = "HELP LETSA,";
  for (int i = 0; i < 11; ++i) line.set(label_len + 2 + i, help[i]);
  for (int i = 0; i < len; ++i) line.set(label_len + 13 + i, operand[i]);
  l = line;
  f.op_start = static_cast<int2>(label_len + 2);
  f.op_len = 4;
  f.third_len = 0;
  f.opnd_start.fill(0);
  f.opnd_len.fill(0);
  f.opnd_start[1] = static_cast<int2>(label_len + 7);
  f.opnd_len[1] = 5;
  f.opnd_start[2] = static_cast<int2>(label_len + 13);
  f.opnd_len[2] = static_cast<int2>(len);
  syn.last_operand_col = label_len + 12 + len;
  stmt.stmt_op = label_entry(bc::special);
  syn.operand_check_due = false;
  if (label_len > 0) syn.label_col = 1;
  e.cs.pass.console_input_mark = true;
  e.rep.report_flag = true;
  // Listed as written: the label, LET, and the statement from its
  // savevalue operand on.
  Line80 listing;
  for (int i = 0; i < label_len; ++i) listing.set(1 + i, label[i]);
  listing.set(8, 'L');
  listing.set(9, 'E');
  listing.set(10, 'T');
  for (int c = from; c <= 70; ++c) {
    const int to = 18 + (c - from);
    if (to > 80) break;
    listing.set(to, written.at(c));
  }
  syn.listing_text = listing;
  syn.listing_text_set = true;
}

namespace {
bool seed_row_ok(int r) { return r >= 0 && r <= k_max_runs + 1; }
}  // namespace

void init_run_seeds(Engine& e, int n) {
  for (int r = 1; r <= n && seed_row_ok(r); ++r) {
    auto& row = e.ent.steps.seed_table[static_cast<std::size_t>(r)];
    if (r % 2 == 1) {
      for (int j = 1; j <= k_rn_stream_max; ++j) row[static_cast<std::size_t>(j)] = 16 * ((r + 1) / 2) + 2 * j - 15;
    } else {
      row = e.ent.steps.seed_table[static_cast<std::size_t>(r - 1)];
    }
    e.ent.steps.run_seed_row[static_cast<std::size_t>(r)] = r;
  }
  setup_experi_runs(e, n);
}

void init_run_tables(Engine& e, int n) {
  for (int r = 2; r <= n && seed_row_ok(r); ++r) {
    auto& row = e.ent.steps.seed_table[static_cast<std::size_t>(r)];
    for (int j = 1; j <= k_rn_stream_max; ++j) row[static_cast<std::size_t>(j)] = 16 * r + 2 * j - 15;
    e.ent.steps.run_seed_row[static_cast<std::size_t>(r)] = r;
  }
  setup_experi_runs(e, n);
}

void setup_experi_runs(Engine& e, int n) {
  auto& s = e.ent.steps;
  const int runs = std::clamp(n, 1, k_max_runs);
  if (s.two_phase_runs) {
    // Each run: the end of the run before, START, RESET, START.
    for (int k = 2; k <= runs; ++k) {
      const int b = 4 * k - 4;
      s.run_steps[ix(b)] = step::series_end;
      s.run_steps[ix(b + 1)] = step::next_start;
      s.run_steps[ix(b + 2)] = step::reset;
      s.run_steps[ix(b + 3)] = step::next_start;
      s.termination_count[ix(2 * k - 1)] = s.termination_count[1];
      s.termination_count[ix(2 * k)] = s.termination_count[2];
      s.start_report_off[ix(2 * k - 1)] = s.start_report_off[1];
      s.start_report_off[ix(2 * k)] = s.start_report_off[2];
    }
    s.run_steps[ix(4 * runs)] = step::end;
    return;
  }
  for (int k = 2; k <= runs; ++k) {
    s.run_steps[ix(2 * k - 2)] = step::series_end;
    s.run_steps[ix(2 * k - 1)] = step::next_start;
    s.termination_count[ix(k)] = s.termination_count[1];
    s.start_report_off[ix(k)] = s.start_report_off[1];
  }
  s.run_steps[ix(2 * runs)] = step::end;
}

}  // namespace kelvo
