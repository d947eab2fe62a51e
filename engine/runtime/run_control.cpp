// Run control. Takes the model file name and the run-step table that the
// translator fills; produces the runs (first START, RESET and later
// STARTs, series of runs), the console pauses and the end-of-run
// question, and closes every output file at the end.
#include "runtime/run_control.h"

#include <string>

#include "exchange/atf_writer.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/event_loop.h"
#include "runtime/experiment.h"
#include "runtime/flow_blocks.h"
#include "runtime/graph_programs.h"
#include "runtime/matrix_files.h"
#include "runtime/queues_tables.h"
#include "runtime/random_streams.h"
#include "runtime/report_sections.h"
#include "runtime/standard_report.h"
#include "runtime/transaction_store.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/stop.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

int run_step(const Engine& e, int i) {
  if (i < 1 || i > k_run_step_capacity) return step::end;  // past the table
  return e.ent.steps.run_steps[ix(i)];
}

// Run r has seeds of its own: a row of a series, or a SEEDS statement's.
bool has_seed_row(const Engine& e, int run) {
  if (run >= 0 && run < static_cast<int>(e.ent.steps.run_seed_row.size()) && e.ent.steps.run_seed_row[ix(run)] > 0) return true;
  const auto& rows = e.ent.steps.seeds_row_of_start;
  return run >= 0 && run < static_cast<int>(rows.size()) && rows[ix(run)] > 0;
}

// Translates the model and sets up its tables and savevalues; false when
// the model is not to be run.
bool set_up_model(Engine& e, int runs) {
  // The model state of an earlier run is cleared before translating.
  reset_output_channels(e);
  // The animation trace file of a model run before ends complete; the
  // model's first animation statement opens its own anew.
  close_atf_file(e);
  e.run.atf_last_time = 0.0f;
  reset_model_state(e);
  start_run_accumulators(e);
  if (e.ctl.seed_reset_flag) reset_stream_seeds(e);
  e.run.run_count = runs > 1 ? 1 : 0;
  e.run.valin_outside_experi = false;
  if (!e.ctl.experi_run) {
    // A plain model starts its series with no results and no alternatives.
    e.srv.results = RunResults{};
    e.ent.experi.experi_alternatives = 0;
  }
  if (e.ctl.java_mode && !e.ctl.auto_animation_flag) {
    int saved = 0;
    begin_report_section(e, e.rep.out_unit, saved, 1, k_section_lst);
    translate_program(e, e.run.run_count);
    end_report_section(e, e.rep.out_unit, saved);
  } else {
    translate_program(e, e.run.run_count);
  }
  if (e.run.valin_outside_experi) {
    write_error_message(e, " Program contains EXPERI");
    write_error_message(e, " Must be started with $ from key-board");
    const int unit = open_error_unit(e);
    e.ch.write(unit, " or in programName.DEC file");
    if (e.ctl.java_mode) e.ch.write(unit, " In this case VALIN not allowed, Use EXPERI!");
    stop_program(e);
  }
  e.run.matrix_output_wanted = false;
  close_graph_files(e);
  if (e.ctl.error_found) return false;
  setup_savevalues_and_records(e);
  if (run_step(e, 1) == step::end) {
    write_error_message(e, " No START statement with A operand");
    e.ch.close(e.ctl.unit_base);
  }
  return true;
}

// A later START.
void next_start(Engine& e, int previous) {
  RunState& r = e.run;
  r.run_number += 1;
  r.run_counter += 1;
  if (r.run_count > 1) {
    const io::Rec line = io::Rec().lit(std::string(62, '-')).lit(" Run").i(r.run_counter, 4);
    if (e.rep.result_file_open && e.rep.prog_unit > 0) {
      e.ch.write(e.rep.prog_unit, line);
    } else if (e.run.aux_file_open) {
      e.ch.write(e.run.aux_unit, line);
    }
  }
  if (previous == step::first_start || previous == step::next_start) {
    write_error_message(e, " RESET expected before new START");
    stop_program(e);
  }
  if (previous == step::reset) {
    // The transactions in the model go on where the RESET left them.
    run_event_loop(e);
    return;
  }
  // A new run of a series starts from its own seed row; with START,
  // RESET, START each run of the series counts two STARTs.
  const int run = e.ent.steps.two_phase_runs ? (r.run_number + 1) / 2 : r.run_number;
  if (has_seed_row(e, run)) load_run_seeds(e, run);
  // The run's clock starts again from 0, and the trace's TIME records with it.
  restart_atf_time(e);
  if (!e.ctl.java_mode && r.run_count == 0) {
    e.ch.write(io::k_console_out, "");
    e.ch.write(io::k_console_out, io::Rec().lit(" Press Enter (once or twice) for results of run ").i(r.run_number, 3));
    std::string line;
    if (e.ch.read_line(io::k_console_in, line) == io::ReadStatus::end_of_file) stop_program(e);
  }
  start_run_transactions(e);
  run_event_loop(e);
}

// The end of one run of a plain series (SIMULATE A > 1): the statistics
// of the run's VALUT values over the runs so far, in the EXP section
// under the front end. An experiment writes its own.
void write_series_statistics(Engine& e) {
  const int next = e.run.next_step_code;
  if (e.ctl.experi_run || e.run.run_count < 2 || e.srv.results.count < 1) return;
  if (next != step::series_end && next != step::end) return;
  int saved = 0;
  if (e.ctl.java_mode) begin_report_section(e, e.rep.out_unit, saved, e.run.run_number, k_section_exp);
  write_run_statistics(e);
  if (next == step::end) write_series_comparison(e);
  if (e.ctl.java_mode) end_report_section(e, e.rep.out_unit, saved);
}

// Walks the run steps: the STARTs, RESETs and ends of series runs.
void walk_run_steps(Engine& e, int first, int runs, int mode) {
  RunState& r = e.run;
  int count = e.ent.steps.run_step_count;
  int code = step::end;
  int previous = 0;
  bool selected = false;
  if (runs > 1) {
    if (first == 1) {
      // One alternative: a seed row per run; two: a row per pair of runs.
      // An optimisation has none: its streams go on from run to run.
      if (mode == 1) init_run_tables(e, runs);
      else if (mode == 2) init_run_seeds(e, runs);
      else setup_experi_runs(e, runs);
      if (e.ent.steps.two_phase_runs) {
        r.step_index = 2;
      } else {
        r.step_index = 1;
        e.ent.steps.run_step_count = 2;
        count = 2;
      }
    } else {
      if (e.ctl.experi_run) put_invalue_into_model(e, first, mode);
      r.step_index = e.ent.steps.two_phase_runs ? 4 * first - 4 : 2 * first - 2;
      select_run_step(e, code, r.step_index, previous, first, count);
      selected = true;
    }
  }
  for (int i = 1; i <= count; ++i) {
    if (!selected && e.ent.steps.run_step_count == count) {
      code = run_step(e, i);
      if (i > 1) previous = run_step(e, i - 1);
    }
    r.next_step_code = run_step(e, selected ? r.step_index + 1 : i + 1);
    if (code == step::end) break;
    bool was_start = false;
    if (code == step::series_end) {
      start_run_accumulators(e);
      reset_model_state(e);
    } else if (code == step::reset) {
      start_run_accumulators(e);
    } else if (code == step::next_start) {
      next_start(e, previous);
      was_start = true;
    } else {  // the first START
      if (e.ctl.seed_reset_flag) load_run_seeds(e, 1);
      r.run_number = 1;
      r.run_counter = 1;
      start_run_transactions(e);
      run_event_loop(e);
      was_start = true;
    }
    const bool series_step = code == step::series_end || code == step::reset ||
                             (was_start && e.ent.steps.two_phase_runs && previous == step::series_end);
    if (runs > 1 && r.step_index > 1 && series_step) {
      r.step_index += 1;
      select_run_step(e, code, r.step_index, previous, first, count);
      selected = true;
      i = 0;  // the loop starts again with count 1
      continue;
    }
    if (was_start) {
      r.saved_clock = r.clock;
      write_series_statistics(e);
    }
  }
}

// Every open output file is closed, then the stop.
[[noreturn]] void close_and_stop(Engine& e) {
  if (e.run.matrix_output_wanted) matrix_save_dialog(e);
  close_graph_files(e);
  close_atf_file(e);
  if (e.rep.result_file_open && e.rep.prog_unit > 0) e.ch.close(e.rep.prog_unit);
  if (e.run.aux_file_open) e.ch.close(e.run.aux_unit);
  e.ch.close(e.ctl.unit_base + io::offset::graph);
  if (e.ctl.wrn_open) {
    e.ch.close(e.ctl.unit_base + io::offset::wrn);
    e.ctl.wrn_open = false;
  }
  e.ch.close(e.ctl.unit_base + io::offset::ans);
  e.ch.close(e.ctl.unit_base);
  stop_program(e);
}

}  // namespace

void select_run_step(Engine& e, int& code, int index, int& previous, int run, int& count) {
  code = run_step(e, index);
  previous = run_step(e, index - 1);
  if (previous == step::series_end) load_run_seeds(e, run);
  count = 1;
}

void run_simulation(Engine& e, int first, int runs, int mode) {
  if (first == 1) e.ctl.seed_reset_flag = true;
  bool run_model = !e.ctl.error_found;
  for (;;) {
    if (run_model) {
      if (first == 1) run_model = set_up_model(e, runs);
      if (run_model) walk_run_steps(e, first, runs, mode);
    }
    if (e.ctl.experi_run) return;
    if (e.rep.prog_unit > 0 && e.rep.out_unit == e.rep.prog_unit) {
      e.ch.close(e.rep.prog_unit);
      e.rep.out_unit = e.rep.out_unit_save;
      if (e.rep.report_flag) e.rep.result_file_open = false;
    }
    const bool no_question = e.rep.result_file_open || e.ctl.java_mode ||
                             (e.ctl.cmd_file_present && (e.run.atf_open || e.ctl.keyboard_start));
    if (no_question || !run_model) close_and_stop(e);
    if (e.rep.report_flag) {
      // One line is read, then the engine ends (the stop closes every file).
      std::string line;
      (void)e.ch.read_line(io::k_console_in, line);
      stop_program(e);
    }
    e.ch.write(e.rep.out_unit, "");
    e.ch.write(io::k_console_out, " Do you want to stop?  Y, N or new name");
    AnswerMode answer_mode = AnswerMode::name_or_yes_no;
    const bool yes = ask_yes_no(e, answer_mode);
    if (yes && answer_mode != AnswerMode::yes_no) close_and_stop(e);
    if (!yes) {
      e.ctl.error_found = false;
      e.ctl.repeat_model = false;
      // The dialogue sets the repeat word; an edit request ends the engine
      // (the edit work file names the model). Without a dialogue nothing
      // asks for a repeat, so the engine ends.
      const auto dialogue = e.hooks.end_of_run_dialogue;
      if (dialogue == nullptr || dialogue(e) == 0 || !e.ctl.repeat_model) close_and_stop(e);
    } else {
      // A new model name: translated and run with the seeds reset.
      e.ctl.translate_needed = true;
      e.ctl.seed_reset_flag = true;
    }
    first = 1;
    run_model = true;
  }
}

void reset_model_state(Engine& e) {
  e.rep.report_decimals = 2;
  e.run.max_priority = 0.0f;
  // Named savevalues start from their initial values, the others from 0.
  auto& sv = e.ent.sv;
  for (int k = 1; k < static_cast<int>(sv.savevalue_value.size()); ++k) {
    sv.savevalue_value.set(ix(k), k < static_cast<int>(sv.savevalue_init.size()) ? sv.savevalue_init[ix(k)] : 0.0, e.changes);
  }
  sv.numbered_savevalue_count = 0;
  e.rep.out_line.fill(' ');
  e.rep.out_col = 0;
  clear_server_statistics(e);
  reset_assemble_families(e);
  e.run.generated_before_reset.fill(0);
  e.run.last_block_current.fill(0);
  e.blocks.block_current.fill(0);
  e.run.clock = 0.0f;
  e.run.reset_time = 0.0f;
  e.run.end_time = 1.0e8f;
  e.run.aux_file_open = false;
}

void start_run_accumulators(Engine& e) {
  RunState& r = e.run;
  r.reset_time = r.clock;
  auto& st = e.srv;
  for (int q = 1; q <= k_queue_limit; ++q) {
    const int4 c = st.queue_current[ix(q)];
    st.queue_entries[ix(q)] = c;
    st.queue_zero_entries[ix(q)] = 0;
    st.queue_area[ix(q)] = -(static_cast<real4>(c) * r.clock);
    st.queue_max[ix(q)] = c;
  }
  for (int s = 1; s <= k_station_limit; ++s) {
    const int4 c = st.station_contents[ix(s)];
    st.station_entries[ix(s)] = c;
    st.station_max[ix(s)] = c;
    st.station_area[ix(s)] = -(static_cast<real4>(c) * r.clock);
  }
  restart_table_statistics(e);
  for (int b = 1; b <= k_block_capacity; ++b) {
    r.generated_before_reset[ix(b)] += e.blocks.block_entries[ix(b)];
    e.blocks.block_entries[ix(b)] = 0;
  }
  r.end_time = 1.0e8f;
}

}  // namespace kelvo
