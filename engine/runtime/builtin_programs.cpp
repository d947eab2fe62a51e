// Built-in programs at run time.
// Takes a special block (block code 34) with its special statement's
// operand rows, or a program the translator runs before the first
// GENERATE; builds the seven-word argument list, runs the numbered
// program and writes its results back into the savevalues the rows name.
#include "runtime/builtin_programs.h"

#include <cstdlib>

#include "exchange/atf_writer.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/experiment.h"
#include "runtime/operand_eval.h"
#include "runtime/random_streams.h"
#include "runtime/report_sections.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "translator/operand_checks.h"
#include "translator/special_statements.h"

namespace kelvo {

namespace {

// The operand of a SNAQS row A that is a savevalue: the statistics of a
// series of runs.
constexpr int k_run_statistics = 18;

std::int64_t magnitude(int4 v) { return std::llabs(static_cast<std::int64_t>(v)); }

[[noreturn]] void incorrect_operand(Engine& e, const char* line) {
  write_error_line(e, line);
  mark_block_error(e);
}

// The entity a SNAQS row A gives through a parameter: its kind and its
// table index (a facility after the storages, the queue its number reaches).
void entity_from_parameter(Engine& e, int& c, int& v) {
  c = -c;
  if (!has_parameter(e, v)) incorrect_operand(e, " Incorrect B operand");
  v = trunc_i32(e.act.cur_txn[ix(parameter_word(v))]);
  raise_kind_if_over(e, c, v);
  if (c == opnd::queue) {
    v = queue_index_of_number(e.ent, v);
  } else if (c == opnd::savevalue) {
    // A facility: its station lies the facility offset further on, as
    // for every operand that names a station by a parameter.
    v += e.ent.st.facility_offset;
  } else if (c != opnd::storage) {
    incorrect_operand(e, " Incorrect B operand");
  }
}

}  // namespace

void entity_statistic_program(Engine& e, ProgramArgs& args, int k) {
  if (k < 1 || k > k_spec_limit) incorrect_operand(e, " Incorrect B operand");
  int c = e.ent.spec.spec_opnd_kind[ix(k)][1];
  int v = e.ent.spec.spec_opnd_value[ix(k)][1];
  if (c == opnd::savevalue) c = k_run_statistics;
  if (c < 0) entity_from_parameter(e, c, v);
  RowValues values{};
  int n = 0;
  raise_kind_if_over(e, c, v);
  const real4 t = e.run.clock - e.run.reset_time;
  switch (c) {
    case opnd::clock:
      values[1] = t;
      values[2] = e.run.clock;
      n = 2;
      break;
    case opnd::queue: n = queue_row_values(e, v, t, values); break;
    case opnd::storage: n = station_row_values(e, v, t, true, values); break;
    case opnd::savevalue: n = station_row_values(e, v, t, false, values); break;  // a facility
    case k_row_table: n = table_row_values(e, v, values); break;
    case k_run_statistics: {
      const RunResults& r = e.srv.results;
      values[1] = static_cast<real4>(r.runs);
      values[2] = static_cast<real4>(r.lower);
      values[3] = static_cast<real4>(r.upper);
      n = 3;
      break;
    }
    default: break;
  }
  // An entity outside its table has no statistics.
  if (n == 0) incorrect_operand(e, " Incorrect B operand");
  const int j = trunc_i32(args.value(2));
  if (j <= 0 || j > n) incorrect_operand(e, " Incorrect C operand");
  args.set_value(3, values[ix(j)]);
}

void block_type_name(const Engine& e, int b, Text6& name) {
  if (b < 1 || b > k_block_capacity) return;
  const int k = e.blocks.block_arg[ix(b)];
  if (k < 1 || k > k_spec_limit) return;
  const int n = e.ent.spec.spec_program[ix(k)];
  if (n == prog::gprin) name.assign("GRAPH");
  else if (n == prog::matin) name.assign("MATRIX");
  else if (n == prog::trace || n == prog::troff) name.assign("TRACE");
  else if (n == prog::snaqs || n == prog::matut) name.assign("LET");
  else if (n >= prog::create) name.assign("ANIM");
}

void call_builtin_program(Engine& e, int n, ProgramArgs& args, int k) {
  if (n > prog::builtin_count) {
    if (e.hooks.user_program != nullptr) e.hooks.user_program(e, n - prog::builtin_count, args);
    return;
  }
  switch (n) {
    case prog::matin: check_matrix_dimensions(e, args); return;
    case prog::matex: e.prog.matex_flag = true; return;
    case prog::intpos: e.prog.intpos_value = trunc_i32(args.value(1)); return;
    case prog::input: args.set_value(1, static_cast<real4>(read_input_number(e))); return;
    case prog::decis:
      read_input_file(e);
      if (!e.ctl.error_reported) args.set_value(1, check_input_block(e, trunc_i32(args.value(3))));
      return;
    case prog::valin: {
      real4 v = args.value(1);
      take_input_value(e, v);
      args.set_value(1, v);
      return;
    }
    case prog::valut: record_valut_value(e, args, k); return;
    case prog::rmuin:
      e.prog.seed_word = trunc_i32(args.value(1));
      set_run_seeds(e);
      return;
    case prog::pause:
      if (!e.ctl.java_mode) (void)read_console_line(e);
      return;
    case prog::letsa: {
      // The value of savevalue B into A, asked on the console (later
      // alternatives of an experiment take the first one's).
      real4 v[3] = {0.0f, args.value(1), args.value(2)};
      if (e.ev.experi_alternative <= 1) ask_savevalue_value(e, trunc_i32(v[2]));
      input_savevalues(e, v);
      args.set_value(1, v[1]);
      return;
    }
    case prog::snaqs: entity_statistic_program(e, args, k); return;
    case prog::gtext: write_tex_file(e); return;
    case prog::gprin: graph_statement(e, args, k, 1); return;
    case prog::gprind: graph_statement(e, args, k, 0); return;
    case prog::blcur:
    case prog::bltot: return;
    case prog::graphs: graph_statement(e, args, k, -1); return;
    case prog::matut: check_mx_row_column(e, args); return;
    case prog::matre: matrix_read_dialog(e, args, false); return;
    case prog::stlre: matrix_read_dialog(e, args, true); return;
    case prog::trace:
      if (args.value(1) == 0.0f) e.run.trace_switch = true;
      return;
    case prog::troff:
      if (args.value(1) == 0.0f) e.run.trace_switch = false;
      return;
    case prog::decima: e.rep.report_decimals = trunc_i32(args.value(1)); return;
    case prog::atf: close_delete_side_output(e); return;
    // The animation commands write the animation trace file.
    case prog::create: write_atf_create(e, args); return;
    case prog::destro: write_atf_destroy(e, args); return;
    case prog::place: write_anim_place(e, args); return;
    case prog::change: write_atf_set_class(e, args); return;
    case prog::color: write_atf_set_color(e, args); return;
    case prog::speed: write_atf_set_speed(e, args); return;
    case prog::move: write_anim_move_place(e, args); return;
    case prog::write: write_atf_write_command(e, args); return;
    case prog::time: write_anim_travel(e, args); return;
    case prog::setbar: write_atf_set_bar(e, args); return;
    default:
      // FPRIN, MARSE and any number below 1.
      graph_statement(e, args, k, 2);
      return;
  }
}

ProgramArgs special_block_arguments(Engine& e, int b) {
  ProgramArgs args;
  const int k = e.blocks.block_arg[ix(b)];
  const auto& sp = e.ent.spec;
  const int n = sp.spec_program[ix(k)];
  if (n == prog::valut) args.set_value(7, static_cast<real4>(b));
  for (int i = 1; i <= k_spec_rows; ++i) {
    const int4 kind = sp.spec_opnd_kind[ix(k)][ix(i)];
    const int4 value = sp.spec_opnd_value[ix(k)][ix(i)];
    if (kind == k_row_end) break;
    if (kind == opnd::constant && magnitude(value) >= k_name_magnitude) {
      // A name: its bit pattern, never a number.
      args.set_name(i, value);
      continue;
    }
    // Argument G tells an animation program that operand B is a number.
    if (kind == opnd::constant && n >= prog::create) {
      args.set_value(i, static_cast<real4>(value));
      if (i == 2) args.set_value(7, 1.0f);
      continue;
    }
    int index = value;
    args.set_value(i, operand_index_value(e, kind, index));
    if (n >= prog::place && i == 2) args.set_value(7, 1.0f);
  }
  return args;
}

void resolve_block_operands(Engine& e, int b) {
  if (b < 1 || b > k_block_capacity) return;
  const int k = e.blocks.block_arg[ix(b)];
  // A statement the table could not hold was reported; its block does nothing.
  if (k < 1 || k > std::min(e.ent.spec.spec_count, k_spec_limit)) return;
  ProgramArgs args = special_block_arguments(e, b);
  e.prog.current_special = k;
  const ProgramArgs given = args;
  call_builtin_program(e, e.ent.spec.spec_program[ix(k)], args, k);
  find_operand_row(e, k, args, true, &given);
}

}  // namespace kelvo
